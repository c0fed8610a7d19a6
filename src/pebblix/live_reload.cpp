#include "live_reload.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <sstream>

#include "panolet/ui.h"
#include "startup.h"
#include "vistrel/imageloader.h"

namespace {

const char* const kWatched = "res";
// What the game's data is made of; an editor's own files (backups, swap and temporary files)
// end otherwise or are hidden.
const char* const kDataExtensions[] = {".scn", ".scns", ".lvl", ".style", ".png", ".jpg",
                                       ".jpeg", ".ttf", ".otf", ".wav", ".ogg"};

std::string normal(const std::string& file) {
  return std::filesystem::path(file).lexically_normal().string();
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : ", ") + part;
  return text;
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

}  // namespace

LiveReload::LiveReload(Brannow::FileManager* files, std::string scene_list, CheckServer& checks,
                       std::ostream& out)
    : files_(files), scene_list_(normal(scene_list)), checks_(checks), out_(out) {}

bool LiveReload::start() {
  std::string error;
  if (!watch_.start(kWatched, [this](const std::string& file) { return wanted(file); }, &error)) {
    out_ << "tarnvale: --watch cannot watch " << error << "; the game runs on without reloads"
         << std::endl;
    return false;
  }
  return true;
}

void LiveReload::learn_problems(const std::string& problems) {
  for (const std::string& line : checker_lines(problems)) known_problems_.insert(without_line(line));
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

void LiveReload::reload(const std::vector<std::string>& files) {
  const std::vector<std::string> fonts = font_files();
  int pictures = 0, style_sets = 0;
  bool scene_list = false, reload_fonts = false, renew = false;
  for (const std::string& file : files) {
    const std::string name = normal(file);
    if (name == scene_list_) {
      scene_list = renew = true;
      continue;
    }
    if (std::any_of(fonts.begin(), fonts.end(), [&](const std::string& f) { return normal(f) == name; })) {
      reload_fonts = renew = true;
      continue;
    }
    if (const int sets = ui_reload_style_file(name)) {
      // Widgets take their style when they load.
      style_sets += sets;
      renew = true;
      continue;
    }
    int surfaces = 0;
    if (!imageloader_reload(name, &surfaces))
      out_ << "tarnvale: " << name << ": " << imageloader_error() << std::endl;
    pictures += surfaces;
    // Scene data, or a picture no scene shows now (one a scene could not load, maybe).
    if (surfaces == 0) renew = true;
  }
  std::vector<std::string> what;
  if (pictures > 0) what.push_back(std::to_string(pictures) + (pictures == 1 ? " picture" : " pictures") + " in place");
  if (style_sets > 0) what.push_back(style_sets == 1 ? "the style set" : "the style sets");
  if (reload_fonts) what.push_back("the fonts");
  if (scene_list) what.push_back("the scene list");
  if (renew) {
    what.push_back("the current scene anew (the others when next entered)");
    std::function<void()> while_no_scene;
    // The old renderer goes: no text of a scene may be drawn with it then.
    if (reload_fonts) while_no_scene = [files = files_] { load_text_renderer(files); };
    renew_all_scenes(scene_list, while_no_scene);
  }
  reloaded_ = "tarnvale: reloaded " + joined(files) + ": " + joined(what);
}

void LiveReload::frame_ended() {
  if (!reloaded_.empty()) {
    out_ << reloaded_ << std::endl;
    reloaded_.clear();
  }
  std::string problem;
  for (const std::string& file : watch_.saved(SaveBatch::Clock::now(), &problem))
    if (std::find(saved_.begin(), saved_.end(), file) == saved_.end()) saved_.push_back(file);
  if (!problem.empty())
    out_ << "tarnvale: --watch: " << problem << "; the game runs on" << std::endl;
  if (checking_ && checks_.ready()) check_ended();
  if (!checking_ && !saved_.empty()) start_check();
}
