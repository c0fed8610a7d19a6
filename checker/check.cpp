#include "check.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

#include "GameEngine/game_fabrics.h"
#include "brannow/brannow.h"
#include "carrow/config.h"
#include "chime/sound.h"
#include "data_format.h"
#include "handro/dynamic.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/indexed_list.h"
#include "tarnvale/number_limits.h"
#include "tarnvale/quoted.h"
#include "olvane/video.h"
#include "panolet/ui.h"
#include "panolet/window.h"
#include "scrivet/textrenderer.h"
#include "vistrel/imageloader.h"
#include "voskar/fabric.h"
#include "voskar/object_from_data.h"
#include "voskar/game_module.h"
#include "voskar/scene.h"
#include "voskar/scenemanager.h"

namespace {

const char* const kVideo = "Video";
const char* const kStyleFile = "res/interface/base.style";
const char* const kSceneList = "res/scenes.scns";

bool ends_with(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

using tarnvale::quoted;

std::string with_suggestion(const std::string& text, const std::string& name,
                            const std::vector<std::string>& candidates) {
  const std::string close = closest_name(name, candidates);
  return close.empty() ? text : text + "; did you mean " + quoted(close) + "?";
}

// Why a scene did not load, in the scene's and the game's own words: the widgets' lines repeat
// what the scene says, and warnings are the checker's to report at their keys.
bool is_load_failure(const tarnvale::Diagnostic& record) {
  return record.severity == tarnvale::Severity::error &&
         (record.voice == tarnvale::Voice::scene || record.voice == tarnvale::Voice::game);
}

// The first line of a record's text: what follows it has never been part of the reason.
std::string first_line(const std::string& text) { return text.substr(0, text.find('\n')); }

bool is_number(const std::string& text, bool whole, double* value) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  if (whole) {
    const long long parsed = std::strtoll(begin, &end, 0);
    *value = static_cast<double>(parsed);
    if (errno == ERANGE) *value = HUGE_VAL;
  } else {
    *value = std::strtod(begin, &end);
  }
  if (end == begin) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

std::vector<std::string> key_names(const std::vector<KeyDoc>& keys) {
  std::vector<std::string> names;
  for (const KeyDoc& doc : keys) names.push_back(doc.key);
  return names;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

// One object as its scene or level file declares it.
struct ObjectEntry {
  std::string name;
  std::string prefix;  // "Objects->name->"
  const TypeDoc* type = nullptr;
};

// A scene or level file with the objects in it.
struct SceneFile {
  std::string file;
  std::string scene_name;  // the scene its objects belong to
  std::string config;      // the configuration holding its pairs
  const TypeDoc* type = nullptr;  // scene type, null for a level
  std::vector<ObjectEntry> objects;
};

class Checker {
public:
  Checker(std::ostream& err, bool load_video_driver)
      : err_(err),
        load_video_driver_(load_video_driver),
        // What the libraries report while the checker loads is heard, not printed.
        listening_([this](const tarnvale::Diagnostic& record) { hear(record); },
                   tarnvale::Printing::held) {
    files_.register_brannow(Brannow::CreatePosixFile);
  }

  Checker(const Checker&) = delete;
  Checker& operator=(const Checker&) = delete;
  ~Checker() {
    for (Scene* scene : loaded_) dispose_scene(scene);
    if (Video_Interface* video = video_get_interface(kVideo)) video->_deinit();
    video_remove(kVideo);
  }

  int run();
  const std::vector<Problem>& problems() const { return problems_; }

private:
  void hear(const tarnvale::Diagnostic& record) {
    if (failure_reason_ && is_load_failure(record) && !record.text.empty())
      *failure_reason_ += (failure_reason_->empty() ? "" : "; ") + first_line(record.text);
  }
  bool fail(const std::string& why) {
    err_ << "tarnvale-check: " << why << std::endl;
    return false;
  }
  void report(const std::string& file, long line, const std::string& text) {
    problems_.push_back({file, line, text});
  }
  // At the key's file and line; keys without an origin at the fallback file.
  void report_at(Config_Interface* config, const std::string& key, const std::string& fallback,
                 const std::string& text) {
    const Config_Origin origin = config->_get_origin(key);
    report(origin.line ? origin.file : fallback, origin.line, text);
  }
  bool readable(const std::string& file) {
    try {
      std::shared_ptr<Brannow::File> opened = files_.open(file, 0, 0);
      return opened && opened->get_content();
    } catch (...) {
      return false;
    }
  }
  Config_Interface* load_config(const std::string& name, const std::string& file);

  bool start_engine();
  void check_modules();
  bool uses_widgets() const {
    for (const SceneFile& scene : scene_files_)
      for (const ObjectEntry& object : scene.objects)
        if (object.type)
          for (const TypeDoc* each : type_with_bases(*object.type))
            if (std::string(each->name) == "BaseUIObject") return true;
    return false;
  }
  void check_fonts();
  void check_video_driver();
  void load_scene_list();
  void load_scene(const std::string& name, const std::string& file, const std::string& type,
                  Config_Interface* list, const std::string& entry);
  void collect_objects(SceneFile& scene, Config_Interface* config);
  void add_level(const SceneFile& scene, Config_Interface* config);
  void collect_windows();
  void collect_slots(Scene* scene);
  void check_window_cycles();
  void check_scene_file(const SceneFile& scene);
  // `pairs`: the scene's, as they were before its objects were checked.
  void check_object(const SceneFile& scene, Config_Interface* config, const Pairs& pairs,
                    const ObjectEntry& object);
  void check_signals(const SceneFile& scene, Config_Interface* config, const ObjectEntry& object,
                     const TypeFacts& facts);
  void check_links(const SceneFile& scene, Config_Interface* config);
  void check_value(const SceneFile* scene, Config_Interface* config, const std::string& key,
                   const std::string& value, const KeyDoc& doc, const std::string& file);
  void check_plain_file(const FileDoc& doc, Config_Interface* config);
  void check_style_set();
  void check_unknown(Config_Interface* config, const std::string& key, const std::string& shown,
                     const std::vector<std::string>& known, const std::string& file);
  std::vector<std::string> scene_names() const;
  // The styles of the style set, read once: no check changes the set.
  const std::vector<std::string>& style_names();
  bool load_picture(const std::string& file);
  // Decodes the sound as far as it can fail, as the game will; false with *why.
  bool decodes(const std::string& file, std::string* why);

  std::ostream& err_;
  const bool load_video_driver_;
  tarnvale::Listening listening_;
  // While a scene loads: where the reasons it gives for failing go.
  std::string* failure_reason_ = nullptr;
  Brannow::FileManager files_{100};
  std::vector<Problem> problems_;
  std::vector<std::string> fonts_;
  std::vector<std::string> styles_;
  bool styles_read_ = false;
  std::vector<std::string> scenes_;       // of the scene list
  std::vector<SceneFile> scene_files_;    // scenes, window scenes and levels
  std::vector<Scene*> loaded_;
  std::set<std::string> risen_;           // every signal something rises
  std::set<std::string> registered_;      // every slot the loaded objects registered
  std::set<std::string> checked_pictures_;
  std::map<std::string, std::string> load_failures_;  // file -> why its scene did not load
  std::map<std::string, std::pair<std::string, long>> failure_places_;
  int picture_count_ = 0;
};

// Every built-in type, as start-up registers them: no module may take their names.
void register_builtin_types() {
  init(kVideo);
  SceneFabric::add_fabric("GameScene", game_scene_fabric());
  ui_init();
  register_game_object_fabrics();
}

Config_Interface* Checker::load_config(const std::string& name, const std::string& file) {
  if (!config_create(name, "libquorra", true)) {
    fail("cannot create a configuration from libquorra: " + config_error());
    return nullptr;
  }
  Config_Interface* config = config_get_interface(name);
  if (config && !config->load(file, &files_)) report(file, 1, "cannot be read");
  return config;
}

bool Checker::start_engine() {
  if (!load_config("GameConfig", "cfg/Game.cfg") || !load_config("VideoConfig", "cfg/Video.cfg"))
    return false;
  if (!imageloader_create("png", "libgrisk_png", true) ||
      !imageloader_create("jpg", "libgrisk_jpg", true))
    return fail("cannot load the image loaders: " + imageloader_error());
  // Nothing here draws: a picture is decoded to see that it decodes.
  imageloader_keep_pixels(false);
  if (!soundloader_create("wav", "libchime_wav", true) ||
      !soundloader_create("ogg", "libchime_ogg", true))
    return fail("cannot load the sound loaders: " + sound_error());
  if (!textrenderer_create("ttf", "libmordent", true))
    return fail("cannot load the text renderer libmordent: " + textrenderer_error());
  check_fonts();

  // The driver is started to see that it starts: it must not truncate the trace file that the
  // game beside the check (at start-up or under --watch) is writing.
  if (Config_Interface* video_config = config_get_interface("VideoConfig"))
    video_config->set_value("Video->TraceFile", "", true);
  std::string params[3] = {"VideoConfig", "Video->", "VX_Video"};
  if (!video_create(kVideo, "libheadless_tessar", params, 3, 0))
    return fail("cannot load the windowless video driver: " + video_error());
  Video_Interface* video = video_get_interface(kVideo);
  if (!video || !video->_init())
    return fail("cannot start the windowless video driver: " +
                (video ? video->_get_error() : video_error()));
  if (load_video_driver_) check_video_driver();

  register_builtin_types();
  check_modules();
  if (!ui_load_styleset(kStyleFile, "BaseStyle", &files_))
    return fail("cannot create the style set configuration");
  return true;
}

// The game's modules, loaded as start-up loads them: their types are checked like the built-in
// ones. Each line of the loader names the file and the key: "cfg/Game.cfg: KEY ...".
void Checker::check_modules() {
  Config_Interface* config = config_get_interface("GameConfig");
  std::ostringstream lines;
  load_game_modules(config, "cfg/Game.cfg", lines);
  std::istringstream faults(lines.str());
  const std::string lead = "cfg/Game.cfg: ";
  for (std::string line; std::getline(faults, line);) {
    const std::string text = line.substr(lead.size());
    report_at(config, text.substr(0, text.find(' ')), "cfg/Game.cfg", text);
  }
}

void Checker::check_fonts() {
  Config_Interface* config = config_get_interface("GameConfig");
  Text_Renderer* renderer = textrenderer_get("ttf");
  if (!config || !renderer) return;
  tarnvale::for_each_listed(config, "Fonts->Font", "->", "name", [&](const std::string& prefix,
                                                                     const std::string& name, int) {
    const std::string source = config->get_value(prefix + "source", "");
    if (renderer->load_font(name, source, &files_))
      fonts_.push_back(name);
    else
      report_at(config, prefix + "source", "cfg/Game.cfg",
                "font " + quoted(name) + " cannot be loaded from " + quoted(source) + ": " +
                    renderer->get_error());
  });
}

void Checker::check_video_driver() {
  Config_Interface* config = config_get_interface("VideoConfig");
  const std::string driver = config->get_value("Video->Driver", "libGL_vantor");
  // Loaded like a plug-in, from beside the libraries, but never started.
  if (module_load(driver)) return;
  const std::vector<std::string> drivers = {"libGL_tessar", "libheadless_tessar"};
  report_at(config, "Video->Driver", "cfg/Video.cfg",
            with_suggestion("unknown video driver " + quoted(driver), driver, drivers));
}

// Through the loader its extension names, so that the error is that loader's.
bool Checker::load_picture(const std::string& file) {
  const std::string surface = "picture" + std::to_string(picture_count_++);
  const std::size_t dot = file.rfind('.');
  const std::string extension = dot == std::string::npos ? "" : file.substr(dot + 1);
  if (extension == "png" || extension == "jpg")
    return imageloader_loadimage(extension, kVideo, file, "tarnvale-check", surface, &files_, 1);
  return imageloader_loadimage_noext(kVideo, file, "tarnvale-check", surface, &files_, 1);
}

bool Checker::decodes(const std::string& file, std::string* why) {
  std::unique_ptr<Sound_Stream> stream(soundloader_open(file, &files_));
  if (!stream) {
    *why = sound_error();
    return false;
  }
  // libvorbisfile reads the headers of every link of a Vorbis stream when it opens it, and skips
  // gaps as players do: once its first block decodes, so does the rest. A wave file is read
  // whole (its end shows only there), which costs no decoding.
  const bool first_block_only = ends_with(file, ".ogg");
  std::vector<int16_t> piece(8192);
  for (;;) {
    const long got = stream->_read(piece.data(), 4096);
    if (got == 0 || (got > 0 && first_block_only)) return true;
    if (got < 0) {
      *why = file + ": " + stream->_get_error();
      return false;
    }
  }
}

std::vector<std::string> Checker::scene_names() const {
  std::vector<std::string> names = scenes_;
  names.push_back("exit");
  return names;
}

const std::vector<std::string>& Checker::style_names() {
  if (styles_read_) return styles_;
  styles_read_ = true;
  if (Config_Interface* set = config_get_interface("BaseStyle"))
    for (const auto& pair : config_pairs(*set)) {
      const std::string name = pair.first.substr(0, pair.first.find("->"));
      if (std::find(styles_.begin(), styles_.end(), name) == styles_.end()) styles_.push_back(name);
    }
  return styles_;
}

void Checker::load_scene_list() {
  // The same keys load_scenes reads, in a configuration of the checker's own: the library's
  // would stop at the first scene it cannot make.
  Config_Interface* list = load_config("CheckedSceneList", kSceneList);
  if (!list) return;
  std::vector<std::string> types;
  for (const auto& entry : SceneFabric::_fabrics_) types.push_back(entry.first);
  struct Entry {
    std::string key, name, file, type;
  };
  std::vector<Entry> entries;
  tarnvale::for_each_listed(list, "Scenes->Scene", "", "->name", [&](const std::string& key,
                                                                     const std::string& name, int) {
    const std::string file = list->get_value(key + "->file", "");
    list->get_value(key + "->preload", "false");
    const std::string type = list->get_value(key + "->type", "generic");
    scenes_.push_back(name);
    if (!SceneFabric::_fabrics_.exists(type)) {
      report_at(list, key + "->type", kSceneList,
                with_suggestion("unknown scene type " + quoted(type), type, types));
      return;
    }
    if (!readable(file)) {
      report_at(list, key + "->file", kSceneList,
                "scene file " + quoted(file) + " cannot be read");
      return;
    }
    entries.push_back({key, name, file, type});
  });
  // Scenes after the list is known: a scene refers to the others by name.
  for (const Entry& entry : entries) load_scene(entry.name, entry.file, entry.type, list, entry.key);
  check_plain_file(data_files()[2], list);
}

void Checker::load_scene(const std::string& name, const std::string& file, const std::string& type,
                         Config_Interface* list, const std::string& entry) {
  Scene* scene = SceneFabric()[type];
  loaded_.push_back(scene);
  scene->set_name(name);
  scene->set_video_name(kVideo);
  scene->set_storage_file(file);
  scene->set_file_manager(&files_);
  std::string reason;
  failure_reason_ = &reason;
  const bool loaded = scene->load_scene();
  failure_reason_ = nullptr;
  if (!loaded) {
    load_failures_[file] = reason;
    const Config_Origin origin = list->_get_origin(entry + "->file");
    failure_places_[file] = {origin.line ? origin.file : kSceneList, origin.line};
  }
  Config_Interface* config = config_get_interface(name);
  if (!config) return;
  SceneFile scene_file{file, name, name, find_type(type), {}};
  collect_objects(scene_file, config);
  scene_files_.push_back(scene_file);
  if (type == "GameScene") add_level(scene_file, config);
}

void Checker::collect_objects(SceneFile& scene, Config_Interface* config) {
  tarnvale::for_each_listed(config, "Scene->Objects->Object", "->", "name",
                            [&](const std::string& key, const std::string& name, int) {
                              config->get_value(key + "z_level", "0");
                              ObjectEntry object{name, "Objects->" + name + "->", nullptr};
                              object.type = find_type(config->get_value(object.prefix + "type", ""));
                              scene.objects.push_back(object);
                            });
}

// The level's configuration is gone once its scene loaded: the checker reads the file again.
void Checker::add_level(const SceneFile& scene, Config_Interface* config) {
  const std::string level = config->get_value("Scene->level", "");
  if (level.empty() || !readable(level)) return;
  const std::string name = "CheckedLevel " + level;
  Config_Interface* level_config = load_config(name, level);
  if (!level_config) return;
  SceneFile level_file{level, scene.scene_name, name, nullptr, {}};
  tarnvale::for_each_listed(level_config, "Borders->border", "->", "type",
                            [&](const std::string& prefix, const std::string& type, int i) {
                              level_file.objects.push_back(
                                  {"border" + std::to_string(i), prefix, find_type(type)});
                            });
  scene_files_.push_back(level_file);
}

// The slots the objects of a loaded scene offer, also those of its windows' scenes.
void Checker::collect_slots(Scene* scene) {
  if (!scene) return;
  for (const std::string& name : scene->get_object_names()) {
    SceneObject* object = scene->get_object(name);
    if (!object) continue;
    for (const auto& slot : object->_get__slot_map_()) registered_.insert(slot.first);
    if (auto* window = dynamic_cast<Window*>(object)) collect_slots(window->_get__internal_scene_());
  }
}

// Windows' scenes are named after their window and configured under that name.
void Checker::collect_windows() {
  for (std::size_t i = 0; i < scene_files_.size(); ++i) {
    const SceneFile scene = scene_files_[i];
    Config_Interface* config = config_get_interface(scene.config);
    if (!config) continue;
    for (const ObjectEntry& object : scene.objects) {
      if (!object.type || std::string(object.type->name) != "Window") continue;
      const std::string file = config->get_value(object.prefix + "Window->internal_scene_file", "");
      Config_Interface* inner = config_get_interface(object.name);
      if (!inner || inner->_get_origin("Scene->Objects->Object0->name").file != file) continue;
      bool known = false;
      for (const SceneFile& other : scene_files_) known = known || other.config == object.name;
      if (known) continue;
      SceneFile window{file, object.name, object.name, find_type("generic"), {}};
      collect_objects(window, inner);
      scene_files_.push_back(window);
    }
  }
}

void Checker::check_window_cycles() {
  // file -> (window's scene file, window's key) for each window.
  std::map<std::string, std::vector<std::string>> inner;
  for (const SceneFile& scene : scene_files_) {
    Config_Interface* config = config_get_interface(scene.config);
    if (!config) continue;
    for (const ObjectEntry& object : scene.objects) {
      if (!object.type || std::string(object.type->name) != "Window") continue;
      const std::string key = object.prefix + "Window->internal_scene_file";
      const std::string file = config->get_value(key, "");
      // Follow the window's scene and the windows in it: does it come back to this file?
      std::vector<std::string> todo = {file};
      std::set<std::string> seen;
      bool loops = false;
      while (!todo.empty() && !loops) {
        const std::string at = todo.back();
        todo.pop_back();
        if (at == scene.file) loops = true;
        if (!seen.insert(at).second) continue;
        if (!inner.count(at)) {
          // Windows of a file the checker has not seen as a scene: read it on the side.
          std::vector<std::string> targets;
          const std::string name = "CheckedWindowScene " + at;
          Config_Interface* side = config_get_interface(name);
          if (!side && readable(at)) {
            config_create(name, "libquorra", true);
            side = config_get_interface(name);
            if (side) side->load(at, &files_);
          }
          if (side)
            for (const auto& [k, v] : config_pairs(*side))
              if (ends_with(k, "->Window->internal_scene_file"))
                targets.push_back(v);
          inner[at] = targets;
        }
        for (const std::string& next : inner[at]) todo.push_back(next);
      }
      if (loops)
        report_at(config, key, scene.file,
                  "window " + quoted(object.name) + " includes itself through " + quoted(file));
    }
  }
}

void Checker::check_scene_file(const SceneFile& scene) {
  Config_Interface* config = config_get_interface(scene.config);
  if (!config) return;
  const std::size_t problems_before = problems_.size();
  std::vector<std::string> types;
  for (const auto& entry : SceneObjectFabric::_fabrics_) types.push_back(entry.first);

  // Checking asks for keys and so adds their defaults, which no file holds and no check visits:
  // the pairs read once serve every object.
  const Pairs pairs = config_pairs(*config);
  std::set<std::string> listed;
  for (std::size_t i = 0; i < scene.objects.size(); ++i) {
    const ObjectEntry& object = scene.objects[i];
    listed.insert(object.prefix);
    if (object.type && !is_base_only(*object.type) && !object.type->scene_type) {
      check_object(scene, config, pairs, object);
      continue;
    }
    const std::string type = config->get_value(object.prefix + "type", "");
    if (type.empty() && scene.type)
      // The list names an object that has no section.
      report_at(config, "Scene->Objects->Object" + std::to_string(i) + "->name", scene.file,
                "object " + quoted(object.name) + " has no type");
    else
      report_at(config, object.prefix + "type", scene.file,
                with_suggestion("unknown object type " + quoted(type), type, types));
  }

  // The rest: the scene's own keys, sections of objects the list leaves out, stray keys.
  const TypeFacts facts = scene.type ? facts_of(*scene.type) : TypeFacts{};
  // Sections the scene names as models are left out of the list on purpose.
  std::set<std::string> unlisted;
  for (const KeyDoc& doc : facts.keys)
    if (doc.kind == ValueKind::model) unlisted.insert(config->get_value(doc.key, ""));
  for (const auto& [key, value] : config_pairs(*config)) {
    const Config_Origin origin = config->_get_origin(key);
    if (!origin.line || origin.file != scene.file) continue;
    bool in_object = false;
    for (const std::string& prefix : listed) in_object = in_object || key.rfind(prefix, 0) == 0;
    if (in_object) continue;
    if (scene.type && key.rfind("Objects->", 0) == 0) {
      const std::string name = key.substr(9, key.find("->", 9) - 9);
      if (unlisted.insert(name).second)
        report(origin.file, origin.line,
               "object " + quoted(name) + " is not in the scene's object list");
      continue;
    }
    if (const KeyDoc* doc = find_key(facts.keys, key, scene.scene_name)) {
      check_value(&scene, config, key, value, *doc, scene.file);
      continue;
    }
    check_unknown(config, key, key, key_names(facts.keys), scene.file);
  }
  if (scene.type) check_links(scene, config);

  const auto failure = load_failures_.find(scene.file);
  if (failure != load_failures_.end() && problems_.size() == problems_before) {
    const auto& place = failure_places_[scene.file];
    report(place.first, place.second,
           "scene " + quoted(scene.scene_name) + " does not load" +
               (failure->second.empty() ? "" : ": " + failure->second));
  }
}

void Checker::check_object(const SceneFile& scene, Config_Interface* config, const Pairs& pairs,
                           const ObjectEntry& object) {
  const TypeFacts facts = facts_of(*object.type);
  for (const auto& [key, value] : pairs) {
    if (key.rfind(object.prefix, 0) != 0) continue;
    const Config_Origin origin = config->_get_origin(key);
    if (!origin.line) continue;
    const std::string rest = key.substr(object.prefix.size());
    if (const KeyDoc* doc = find_key(facts.keys, rest)) {
      check_value(&scene, config, key, value, *doc, scene.file);
      continue;
    }
    if (!facts.style_keys.empty() && rest.rfind("style->", 0) == 0) {
      const std::string style_key = rest.substr(7);
      if (const KeyDoc* doc = find_key(facts.style_keys, style_key))
        check_value(&scene, config, key, value, *doc, scene.file);
      else
        check_unknown(config, key, rest, key_names(facts.style_keys), scene.file);
      continue;
    }
    std::vector<std::string> known = key_names(facts.keys);
    check_unknown(config, key, rest, known, scene.file);
  }
  check_signals(scene, config, object, facts);
}

void Checker::check_signals(const SceneFile& scene, Config_Interface* config,
                            const ObjectEntry& object, const TypeFacts& facts) {
  const std::vector<std::string> risen(risen_.begin(), risen_.end());
  tarnvale::for_each_listed(config, object.prefix + "signals->signal", "->", "signal_source",
                            [&](const std::string& key, const std::string& source, int) {
    const std::string signal = config->get_value(key + "signal_name", "");
    const std::string slot = config->get_value(key + "slot_name", "");
    if (signal.empty() || signal == "activate" || signal == "deactivate") return;
    // What the loaded objects registered; the table for objects that did not load.
    const std::string full_slot = scene.scene_name + "->" + object.name + "->" + slot;
    if (!registered_.count(full_slot) &&
        std::find(facts.slots.begin(), facts.slots.end(), slot) == facts.slots.end())
      report_at(config, key + "slot_name", scene.file,
                with_suggestion("no object registers the slot " + quoted(full_slot), slot,
                                facts.slots));
    const std::string full = source + "->" + signal;
    if (!risen_.count(full))
      report_at(config, key + "signal_source", scene.file,
                with_suggestion("nothing rises the signal " + quoted(full), full, risen));
  });
}

void Checker::check_links(const SceneFile& scene, Config_Interface* config) {
  std::map<std::string, std::string> links;
  for (const ObjectEntry& object : scene.objects)
    if (config->get_value(object.prefix + "SceneObject->coord_type", "absolute") == "link")
      links[object.name] = config->get_value(object.prefix + "SceneObject->link_object", "");
  std::set<std::string> reported;
  for (const auto& [start, target] : links) {
    std::vector<std::string> path = {start};
    for (std::string at = target; links.count(at); at = links[at]) {
      if (at == start) {
        std::string cycle;
        for (const std::string& name : path) cycle += name + " -> ";
        if (reported.insert(*std::min_element(path.begin(), path.end())).second)
          report_at(config, "Objects->" + start + "->SceneObject->link_object", scene.file,
                    "link cycle: " + cycle + start);
        break;
      }
      if (std::find(path.begin(), path.end(), at) != path.end()) break;
      path.push_back(at);
    }
  }
}

void Checker::check_value(const SceneFile* scene, Config_Interface* config, const std::string& key,
                          const std::string& value, const KeyDoc& doc, const std::string& file) {
  auto problem = [&](const std::string& text) { report_at(config, key, file, text); };
  double number = 0;
  std::string reason;
  switch (doc.kind) {
    case ValueKind::whole:
    case ValueKind::real: {
      // The programs' own bounds where they have them, else the table's (finite at least).
      const std::string name = table_key(doc);
      const tarnvale::NumberLimit* limit = tarnvale::find_number_limit(name);
      const tarnvale::NumberLimit any_number{name, doc.min, doc.max, doc.fallback,
                                             doc.kind == ValueKind::whole,
                                             tarnvale::OnBadNumber::use_default, false};
      if (!tarnvale::check_number(limit ? *limit : any_number, value, &number, &reason))
        problem(quoted(value) + " " + reason);
      break;
    }
    case ValueKind::flag:
    case ValueKind::choice: {
      // A word the programs do not know reads as no: say so where the data writes one.
      const tarnvale::FlagLimit* flag = tarnvale::find_flag_limit(table_key(doc));
      if (flag && value != flag->yes && value != flag->no)
        problem(quoted(value) + " is neither " + quoted(std::string(flag->yes)) + " nor " +
                quoted(std::string(flag->no)) + ": read as " + quoted(std::string(flag->no)));
      break;
    }
    case ValueKind::color:
      if (!is_number(value, true, &number) || number < 0 || number > 0xffffffffu)
        problem(quoted(value) + " is not a colour 0xRRGGBBAA");
      break;
    case ValueKind::picture:
      if (value.empty() || checked_pictures_.count(value)) break;
      checked_pictures_.insert(value);
      if (!readable(value)) {
        problem("picture " + quoted(value) + " cannot be read");
        break;
      }
      if (!load_picture(value)) problem("picture " + quoted(value) + " is broken: " + imageloader_error());
      break;
    case ValueKind::picture_series: {
      // As many as the emitter makes, within the bounds it holds the count to.
      const std::string count_key = key.substr(0, key.rfind("->") + 2) + "stoneTypeCount";
      const tarnvale::NumberLimit& limit = *tarnvale::find_number_limit("StoneEmitter->stoneTypeCount");
      const std::string fallback(limit.fallback);
      if (!tarnvale::check_number(limit, config->get_value(count_key, fallback), &number, &reason))
        tarnvale::check_number(limit, fallback, &number, &reason);
      const KeyDoc one{doc.key, "", ValueKind::picture, doc.meaning};
      for (long kind = 0; kind < static_cast<long>(number); ++kind)
        check_value(scene, config, key, value + std::to_string(kind) + ".png", one, file);
      break;
    }
    case ValueKind::sound:
      if (value.empty() || checked_pictures_.count(value)) break;
      checked_pictures_.insert(value);
      if (!readable(value))
        problem("sound " + quoted(value) + " cannot be read");
      else if (!decodes(value, &reason))
        problem("sound " + quoted(value) + " is broken: " + reason);
      break;
    case ValueKind::font:
      if (!value.empty() && std::find(fonts_.begin(), fonts_.end(), value) == fonts_.end())
        problem(with_suggestion("unknown font " + quoted(value), value, fonts_));
      break;
    case ValueKind::style: {
      if (value.empty()) break;
      const std::vector<std::string>& styles = style_names();
      if (std::find(styles.begin(), styles.end(), value) == styles.end())
        problem(with_suggestion("unknown style " + quoted(value), value, styles));
      break;
    }
    case ValueKind::scene: {
      const std::vector<std::string> names = scene_names();
      if (std::find(names.begin(), names.end(), value) == names.end())
        problem(with_suggestion("unknown scene " + quoted(value), value, names));
      break;
    }
    case ValueKind::object: {
      if (value.empty() || !scene) break;
      std::vector<std::string> names;
      for (const ObjectEntry& object : scene->objects) names.push_back(object.name);
      if (std::find(names.begin(), names.end(), value) == names.end())
        problem(with_suggestion("unknown object " + quoted(value), value, names));
      break;
    }
    case ValueKind::model:
      if (!value.empty() && config->get_value("Objects->" + value + "->type", "").empty())
        problem("no object section " + quoted(value) + " with a type");
      break;
    case ValueKind::file:
      if (!value.empty() && !readable(value)) problem("file " + quoted(value) + " cannot be read");
      break;
    case ValueKind::folder_name:
      if (!is_folder_name(value)) problem(quoted(value) + " is not a folder name");
      break;
    case ValueKind::key_list: {
      std::vector<int64_t> keys;
      if (!read_key_list(value, &keys, &reason)) problem(quoted(reason) + " is not a key number");
      break;
    }
    default:
      break;
  }
}

void Checker::check_unknown(Config_Interface* config, const std::string& key,
                            const std::string& shown, const std::vector<std::string>& known,
                            const std::string& file) {
  if (config->_was_asked(key)) return;
  report_at(config, key, file, with_suggestion("unknown key " + quoted(shown), shown, known));
}

void Checker::check_plain_file(const FileDoc& doc, Config_Interface* config) {
  for (const auto& [key, value] : config_pairs(*config)) {
    if (!config->_get_origin(key).line) continue;
    if (const KeyDoc* known = find_key(doc.keys, key))
      check_value(nullptr, config, key, value, *known, doc.file);
    else
      check_unknown(config, key, key, key_names(doc.keys), doc.file);
  }
}

// Style keys are copied into each widget, never asked for in the set itself.
void Checker::check_style_set() {
  Config_Interface* set = config_get_interface("BaseStyle");
  if (!set) return;
  std::vector<KeyDoc> style_keys;
  for (const TypeDoc* type : all_types())
    style_keys.insert(style_keys.end(), type->style_keys.begin(), type->style_keys.end());
  for (const auto& [key, value] : config_pairs(*set)) {
    if (!set->_get_origin(key).line) continue;
    const std::size_t cut = key.find("->");
    const std::string rest = cut == std::string::npos ? key : key.substr(cut + 2);
    if (const KeyDoc* doc = find_key(style_keys, rest))
      check_value(nullptr, set, key, value, *doc, kStyleFile);
    else
      report_at(set, key, kStyleFile,
                with_suggestion("unknown key " + quoted(rest), rest, key_names(style_keys)));
  }
}

int Checker::run() {
  if (!readable(kSceneList)) {
    fail(std::string("no scene list ") + kSceneList + ": not a data folder");
    return 2;
  }
  if (!start_engine()) return 2;
  load_scene_list();
  collect_windows();
  for (Scene* scene : loaded_) collect_slots(scene);

  for (const char* name : video_signals()) risen_.insert(std::string(kVideo) + "->" + name);
  for (const SceneFile& scene : scene_files_) {
    if (scene.type)
      for (const std::string& signal : facts_of(*scene.type).signals)
        risen_.insert(scene.scene_name + "->" + signal);
    for (const ObjectEntry& object : scene.objects)
      if (object.type)
        for (const std::string& signal : facts_of(*object.type).signals)
          risen_.insert(scene.scene_name + "->" + object.name + "->" + signal);
  }

  Config_Interface* game = config_get_interface("GameConfig");
  check_plain_file(data_files()[0], game);
  check_plain_file(data_files()[1], config_get_interface("VideoConfig"));
  // A game without widgets needs no style set; start-up goes on without one.
  if (!readable(kStyleFile) && uses_widgets()) report(kStyleFile, 1, "cannot be read");
  // The sound settings are optional: no file is no sound.
  if (readable("cfg/Sound.cfg"))
    if (Config_Interface* sound = load_config("SoundConfig", "cfg/Sound.cfg"))
      check_plain_file(data_files()[3], sound);
  check_style_set();
  check_window_cycles();
  for (const SceneFile& scene : scene_files_) check_scene_file(scene);

  std::stable_sort(problems_.begin(), problems_.end(), [](const Problem& a, const Problem& b) {
    return a.file != b.file ? a.file < b.file : a.line < b.line;
  });
  return problems_.empty() ? 0 : 1;
}

bool enter(const std::string& dir, std::ostream& err) {
  if (dir.empty() || chdir(dir.c_str()) == 0) return true;
  err << "tarnvale-check: cannot enter " << dir << ": " << std::strerror(errno) << std::endl;
  return false;
}

}  // namespace

int check_data_folder(const std::string& dir, std::ostream& out, std::ostream& err,
                      bool load_video_driver) {
  if (!enter(dir, err)) return 2;
  // What the objects print as they load (progress lines, traces) is the game's, not a problem.
  setenv("TARNVALE_QUIET", "1", 1);
  Checker checker(err, load_video_driver);
  const int result = checker.run();
  for (const Problem& problem : checker.problems())
    out << problem.file << ":" << problem.line << ": " << problem.text << "\n";
  out.flush();
  return result;
}

int print_reference(const std::string& dir, std::ostream& out, std::ostream& err) {
  if (!dir.empty()) {
    if (!enter(dir, err)) return 2;
    if (!config_create("GameConfig", "libquorra", true)) {
      err << "tarnvale-check: cannot create a configuration from libquorra: " << config_error()
          << std::endl;
      return 2;
    }
    Config_Interface* config = config_get_interface("GameConfig");
    Brannow::FileManager files(100);
    files.register_brannow(Brannow::CreatePosixFile);
    if (!config->load("cfg/Game.cfg", &files)) err << "cfg/Game.cfg: cannot be read" << std::endl;
    register_builtin_types();
    load_game_modules(config, "cfg/Game.cfg", err);
  }
  out << reference_markdown();
  out.flush();
  return 0;
}

// Two swapped neighbours count as one edit: the commonest typo.
std::size_t edit_distance(const std::string& a, const std::string& b) {
  const std::size_t width = b.size() + 1;
  std::vector<std::size_t> d((a.size() + 1) * width);
  for (std::size_t i = 0; i <= a.size(); ++i) d[i * width] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t best = std::min({d[(i - 1) * width + j] + 1, d[i * width + j - 1] + 1,
                                   d[(i - 1) * width + j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        best = std::min(best, d[(i - 2) * width + j - 2] + 1);
      d[i * width + j] = best;
    }
  return d[a.size() * width + b.size()];
}

std::string closest_name(const std::string& name, const std::vector<std::string>& candidates) {
  // A third of the name may be wrong, at least one letter, at most three.
  const std::size_t allowed = std::clamp<std::size_t>(name.size() / 3, 1, 3);
  std::string best;
  std::size_t best_distance = allowed + 1;
  for (const std::string& candidate : candidates) {
    if (candidate == name) continue;
    const std::size_t distance = edit_distance(name, candidate);
    if (distance < best_distance) best = candidate, best_distance = distance;
  }
  return best;
}
