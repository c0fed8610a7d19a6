#include "live_reload.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "carrow/config.h"
#include "panolet/ui.h"
#include "startup.h"
#include "vistrel/imageloader.h"

namespace {

// What the game's data is made of; an editor's own files (backups, swap and temporary files)
// end otherwise or are hidden.
const char* const kDataExtensions[] = {".scn", ".scns", ".lvl", ".style", ".png", ".jpg",
                                       ".jpeg", ".ttf", ".otf", ".wav", ".ogg"};
const char* const kData = "res";
const char* const kSettings = "cfg";
const char* const kGameSettings = "cfg/Game.cfg";
// The keys of cfg/Game.cfg taken while the game runs: the fonts.
const char* const kLiveSettings = "Fonts->";

std::string normal(const std::string& file) {
  return std::filesystem::path(file).lexically_normal().string();
}

bool under(const std::string& file, const char* folder) {
  const std::string path = normal(file), start = std::string(folder) + "/";
  return path.compare(0, start.size(), start) == 0;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
}

std::string quoted(const std::set<std::string>& names) {
  std::vector<std::string> parts;
  for (const std::string& name : names) parts.push_back("\"" + name + "\"");
  return joined(parts);
}

// "FILE:LINE: problem" -> "FILE: problem": the same problem after lines moved above it.
std::string without_line(const std::string& line) {
  const size_t colon = line.find(':');
  if (colon == std::string::npos) return line;
  size_t digits = colon + 1;
  while (digits < line.size() && std::isdigit(static_cast<unsigned char>(line[digits]))) ++digits;
  if (digits == colon + 1 || line.compare(digits, 2, ": ") != 0) return line;
  return line.substr(0, colon) + line.substr(digits);
}

using Settings = std::map<std::string, std::string>;

// The keys and values of a settings file; false when it cannot be read.
bool read_settings(const std::string& file, Brannow::FileManager* files, Settings* values) {
  const char* const scratch = "LiveReloadSettings";
  values->clear();
  if (!config_create(scratch, "libquorra", true)) return false;
  Config_Interface* config = config_get_interface(scratch);
  const bool read = config != nullptr && config->load(file, files);
  if (read)
    for (auto& [key, value] : config_pairs(*config)) values->emplace(std::move(key), std::move(value));
  config_remove(scratch);
  return read;
}

}  // namespace

LiveReload::LiveReload(Brannow::FileManager* files, std::string scene_list, CheckServer& checks,
                       std::ostream& out)
    : files_(files), scene_list_(normal(scene_list)), checks_(checks), out_(out) {}

bool LiveReload::start() {
  const auto accept = [this](const std::string& file) { return wanted(file); };
  std::string error;
  if (!data_watch_.start(kData, accept, &error)) {
    out_ << "tarnvale: --watch cannot watch " << error << "; the game runs on without reloads"
         << std::endl;
    return false;
  }
  // A game without settings files runs on defaults: nothing to say.
  if (std::filesystem::is_directory(kSettings) && !settings_watch_.start(kSettings, accept, &error))
    out_ << "tarnvale: --watch cannot watch " << error << "; its saves are not seen" << std::endl;
  return true;
}

Brannow::FileFactory LiveReload::noting_reads(Brannow::FileFactory open) {
  return [this, open](const std::string& name, Brannow::READ_MODE mode) {
    if (mode == Brannow::READ) {
      const std::lock_guard<std::mutex> hold(reads_lock_);
      reads_[scene_reading_data()].insert(normal(name));
    }
    return open(name, mode);
  };
}

void LiveReload::started(const std::string& problems) {
  for (const std::string& line : checker_lines(problems)) known_problems_.insert(without_line(line));
  std::error_code failure;
  for (std::filesystem::directory_iterator it(kSettings, failure), end; !failure && it != end;
       it.increment(failure)) {
    const std::string file = normal(it->path().string());
    if (wanted(file)) read_settings(file, files_, &settings_[file]);
  }
}

std::vector<std::string> LiveReload::checker_lines(const std::string& output) {
  std::vector<std::string> lines;
  std::istringstream text(output);
  for (std::string line; std::getline(text, line);)
    if (without_line(line) != line || line.rfind("tarnvale-check: ", 0) == 0) lines.push_back(line);
  return lines;
}

bool LiveReload::wanted(const std::string& file) const {
  const std::filesystem::path path(file);
  if (path.filename().string().front() == '.') return false;
  const std::string extension = path.extension().string();
  if (under(file, kSettings)) return extension == ".cfg";
  return std::find(std::begin(kDataExtensions), std::end(kDataExtensions), extension) !=
             std::end(kDataExtensions) ||
         normal(file) == scene_list_;
}

void LiveReload::start_check() {
  checked_.swap(saved_);
  saved_.clear();
  for (const std::string& file : refused_)
    if (std::find(checked_.begin(), checked_.end(), file) == checked_.end()) checked_.push_back(file);
  refused_.clear();
  checking_ = checks_.request();
  if (!checking_) {
    out_ << "tarnvale: " << joined(checked_) << " not reloaded: no process to check the data"
         << std::endl;
    refused_.swap(checked_);
  }
}

void LiveReload::check_ended() {
  checking_ = false;
  std::ostringstream output;
  const int code = checks_.finish(output);
  const std::vector<std::string> found = checker_lines(output.str());
  std::vector<std::string> brought;
  for (const std::string& line : found)
    if (known_problems_.count(without_line(line)) == 0) brought.push_back(line);
  // 2: the checker could not check, and its lines say why.
  if (code == 2 || !brought.empty()) {
    for (const std::string& line : code == 2 ? found : brought) out_ << line << "\n";
    out_ << "tarnvale: " << joined(checked_) << " not reloaded for the problems above; the "
         << "running version stays" << std::endl;
    // They still differ from what runs: the next save that checks clean takes them along.
    refused_.swap(checked_);
    checked_.clear();
    return;
  }
  known_problems_.clear();
  for (const std::string& line : found) known_problems_.insert(without_line(line));
  reload(checked_);
  checked_.clear();
}

std::set<std::string> LiveReload::scenes_reading(const std::string& file) {
  const std::lock_guard<std::mutex> hold(reads_lock_);
  std::set<std::string> scenes;
  for (const auto& [scene, read] : reads_)
    if (!scene.empty() && read.count(file) > 0) scenes.insert(scene);
  return scenes;
}

std::set<std::string> LiveReload::loaded_scenes() {
  const std::lock_guard<std::mutex> hold(reads_lock_);
  std::set<std::string> scenes;
  for (const auto& entry : reads_)
    if (!entry.first.empty()) scenes.insert(entry.first);
  return scenes;
}

bool LiveReload::take_settings(const std::string& file) {
  Settings now;
  if (!read_settings(file, files_, &now)) {
    out_ << "tarnvale: " << file << " cannot be read: " << config_error()
         << "; the game runs on with the settings it has" << std::endl;
    return false;
  }
  Settings& before = settings_[file];
  std::set<std::string> keys;
  for (const Settings* values : {&before, &now})
    for (const auto& entry : *values) keys.insert(entry.first);
  Config_Interface* game = config_get_interface("GameConfig");
  bool fonts = false;
  for (const std::string& key : keys) {
    const auto was = before.find(key), is = now.find(key);
    if (was != before.end() && is != now.end() && was->second == is->second) continue;
    if (file == kGameSettings && key.rfind(kLiveSettings, 0) == 0 && game != nullptr) {
      if (is == now.end())
        game->remove_value(key, true);
      else
        game->set_value(key, is->second, true);
      fonts = true;
      continue;
    }
    out_ << "tarnvale: " << file << ": " << key
         << " changed: a restart is needed for it, the game runs on as it started" << std::endl;
  }
  before = now;
  return fonts;
}

void LiveReload::reload(const std::vector<std::string>& files) {
  std::vector<std::string> fonts = font_files();
  int pictures = 0, style_sets = 0;
  bool scene_list = false, reload_fonts = false;
  std::set<std::string> renewed;
  for (const std::string& file : files) {
    const std::string name = normal(file);
    if (name == scene_list_) {
      scene_list = true;
      continue;
    }
    if (under(name, kSettings)) {
      reload_fonts = take_settings(name) || reload_fonts;
      continue;
    }
    if (std::any_of(fonts.begin(), fonts.end(), [&](const std::string& f) { return normal(f) == name; })) {
      reload_fonts = true;
      continue;
    }
    if (const int sets = ui_reload_style_file(name)) {
      style_sets += sets;
      continue;
    }
    int surfaces = 0;
    if (!imageloader_reload(name, &surfaces))
      out_ << "tarnvale: " << name << ": " << imageloader_error() << std::endl;
    pictures += surfaces;
    // Scene data, or a picture no scene shows now (one a scene could not load, maybe).
    if (surfaces == 0) {
      const std::set<std::string> readers = scenes_reading(name);
      renewed.insert(readers.begin(), readers.end());
    }
  }
  // Between frames nothing draws text: no scene holds the renderer, whose fonts it renders
  // into pictures of the video's own.
  if (reload_fonts && !load_text_renderer(files_))
    out_ << "tarnvale: the fonts could not all be loaded again; texts drawn from now on may lack "
         << "them" << std::endl;
  // Widgets take their style and texts their font when they load: every scene shows them.
  if (reload_fonts || style_sets > 0) renewed = loaded_scenes();

  std::vector<std::string> what;
  if (pictures > 0) what.push_back(std::to_string(pictures) + (pictures == 1 ? " picture" : " pictures") + " in place");
  if (style_sets > 0) what.push_back(style_sets == 1 ? "the style set" : "the style sets");
  if (reload_fonts) what.push_back("the fonts");
  if (scene_list) {
    what.push_back("the scene list, the current scene anew (the others when next entered)");
    renew_all_scenes(true);
    const std::lock_guard<std::mutex> hold(reads_lock_);
    reads_.clear();
  } else if (!renewed.empty()) {
    {
      // They read their data again when they load.
      const std::lock_guard<std::mutex> hold(reads_lock_);
      for (const std::string& scene : renewed) reads_.erase(scene);
    }
    const std::string current = scene_reading_data();
    if (renew_scenes(renewed)) {
      what.push_back("the current scene \"" + current + "\" anew");
      renewed.erase(current);
    }
    if (!renewed.empty()) what.push_back(quoted(renewed) + " when next entered");
  }
  if (what.empty()) what.push_back("nothing that runs uses it");
  reloaded_ = "tarnvale: reloaded " + joined(files) + ": " + joined(what);
}

void LiveReload::frame_ended() {
  if (!reloaded_.empty()) {
    out_ << reloaded_ << std::endl;
    reloaded_.clear();
  }
  const SaveBatch::Clock::time_point now = SaveBatch::Clock::now();
  for (SaveWatch* watch : {&data_watch_, &settings_watch_}) {
    std::string problem;
    for (const std::string& file : watch->saved(now, &problem))
      if (std::find(saved_.begin(), saved_.end(), file) == saved_.end()) saved_.push_back(file);
    if (!problem.empty())
      out_ << "tarnvale: --watch: " << problem << "; the game runs on" << std::endl;
  }
  if (checking_ && checks_.ready()) check_ended();
  if (!checking_ && !saved_.empty()) start_check();
}
