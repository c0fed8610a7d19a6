#include "voskar/scenemanager.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "carrow/config.h"
#include "olvane/video.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/indexed_list.h"
#include "tarnvale/number_limits.h"
#include "twinkel/signals.h"
#include "voskar/image.h"
#include "voskar/object_from_data.h"
#include "voskar/text.h"
#include "voskar/sound.h"
#include "voskar/timer.h"

namespace {

// What the run loop keeps between calls; one per process.
struct SceneList {
  std::string current_scene;
  std::string next_scene;
  std::string video_name;
  Storage<std::string, Scene*> scenes;
  Brannow::FileManager* file_manager = nullptr;
  // What each scene was made from, for scenes made anew.
  struct Entry {
    std::string file, type, video_name;
  };
  std::map<std::string, Entry> entries;
  // The next scene is to be made anew before it runs.
  bool fresh = false;
  // Every scene is to be made anew at the end of the cycle, the list read again first.
  bool renew_all = false, reread_list = false;
  // Scenes whose data changed: each is made anew, its configurations with it, before it is
  // entered next (the current one at the end of the cycle).
  std::set<std::string> stale;
  // The configurations each scene's load made.
  std::map<std::string, std::vector<std::string>> configs_made;
  std::string loading_scene;  // the scene whose load runs now
  std::vector<std::function<void()>> while_no_scene;
  std::string list_file;    // the scene list last loaded
  std::string first_scene;  // where the run began: the fallback when the current scene went
  // The configurations made before the first scene list loaded: the program's own. The others
  // came from scene data and go with the scenes when every scene is made anew.
  std::set<std::string> program_configs;
  bool program_configs_known = false;
  Signal keyboard_press, keyboard_release, mouse_press, mouse_release, mouse_move, character;
  std::vector<RunObserver*> observers;
};

// Never destroyed: scenes and their objects stay until the process ends.
SceneList& scene_list() {
  static SceneList* list = new SceneList;
  return *list;
}

ObjectFabric<Image> image_fabric;
ObjectFabric<Text> text_fabric;
ObjectFabric<Timer> timer_fabric;
ObjectFabric<Sound> sound_fabric;
SceneFabrics<Scene> generic_scene_fabric;

const char* const kExit = "exit";

// The scene list's own lines: the text alone, on standard error.
void list_problem(const std::string& text, const std::string& file = "",
                  const std::string& key = "") {
  tarnvale::report_data_problem(tarnvale::Severity::error, file, key, text);
}

void report_no_such_scene(const std::string& name) { list_problem("No such scene \"" + name + "\""); }

void rise_pointer_signal(Signal& signal, const Event& event) {
  signal.clear_params();
  signal.add_params(event.x);
  signal.add_params(event.y);
  signal.add_params(event.dx);
  signal.add_params(event.dy);
  signal.add_params(static_cast<int64_t>(event.buttons));
  signal.rise();
}

void rise_number_signal(Signal& signal, int value) {
  signal.clear_params();
  signal.add_params(static_cast<int64_t>(value));
  signal.rise();
}

// Turns the driver's queued input into the six input signals; a quit request ends the run.
void pump_events() {
  SceneList& list = scene_list();
  Video_Interface* video = video_get_interface(list.video_name);
  if (!video) return;
  for (int i = 0; i < 1000; ++i) {
    const Event event = video->_get_event();
    if (event.type != NO_EVENT)
      for (RunObserver* observer : list.observers) observer->event_taken(event);
    switch (event.type) {
      case KEYBOARD_PRESS: rise_number_signal(list.keyboard_press, event.key); break;
      case KEYBOARD_RELEASE: rise_number_signal(list.keyboard_release, event.key); break;
      case MOUSE_PRESS: rise_pointer_signal(list.mouse_press, event); break;
      case MOUSE_RELEASE: rise_pointer_signal(list.mouse_release, event); break;
      case MOUSE_MOVE: rise_pointer_signal(list.mouse_move, event); break;
      case CHARACTER: rise_number_signal(list.character, event.character); break;
      case QUIT: list.next_scene = kExit; return;
      default: break;
    }
  }
}

Scene* scene_named(const std::string& name) {
  Storage<std::string, Scene*>& scenes = scene_list().scenes;
  auto it = scenes.find(name);
  return it == scenes.end() ? nullptr : it->second;
}

// A new scene of the entry's type, named and placed as load_scenes does it; not loaded yet.
Scene* create_scene(const std::string& name, const SceneList::Entry& entry) {
  SceneList& list = scene_list();
  const std::string& type = entry.type;
  Scene* scene = SceneFabric()[type];
  if (!scene) {
    list_problem("Can't create scene of type \"" + type + "\"");
    return nullptr;
  }
  scene->set_name(name);
  scene->set_video_name(entry.video_name);
  scene->set_storage_file(entry.file);
  scene->set_file_manager(list.file_manager);
  list.scenes.add(name, scene);
  list.entries[name] = entry;
  return scene;
}

// Loads the scene, noting the configurations its load made.
bool load_noted(Scene* scene) {
  SceneList& list = scene_list();
  const std::vector<std::string> before = config_names();
  list.loading_scene = scene->get_name();
  const bool loaded = scene->load_scene();
  list.loading_scene.clear();
  std::vector<std::string>& made = list.configs_made[scene->get_name()];
  for (const std::string& name : config_names())
    if (std::find(before.begin(), before.end(), name) == before.end()) made.push_back(name);
  return loaded;
}

// Replaces a scene of the list by a new one from its entry; with `data_changed`, the
// configurations its load made go too, so that its files are read afresh.
void renew_scene(const std::string& name, bool data_changed) {
  SceneList& list = scene_list();
  list.stale.erase(name);
  auto entry = list.entries.find(name);
  if (entry == list.entries.end()) return;
  const SceneList::Entry made_from = entry->second;
  if (Scene* old = scene_named(name)) dispose_scene(old);
  list.scenes.remove(name);
  if (data_changed)
    for (const std::string& config : list.configs_made[name]) config_remove(config);
  list.configs_made.erase(name);
  create_scene(name, made_from);
}

// Every scene made anew, not loaded: each loads when it is next entered.
void renew_every_scene() {
  SceneList& list = scene_list();
  for (const auto& entry : list.entries) {
    if (Scene* old = scene_named(entry.first)) dispose_scene(old);
    list.scenes.remove(entry.first);
  }
  for (const std::string& name : config_names())
    if (list.program_configs.count(name) == 0) config_remove(name);
  std::vector<std::function<void()>> tasks;
  tasks.swap(list.while_no_scene);
  for (const std::function<void()>& task : tasks) task();
  if (list.reread_list) {
    list.entries.clear();
    load_scenes(list.list_file, list.video_name, list.file_manager);
  } else {
    const std::map<std::string, SceneList::Entry> entries = list.entries;
    for (const auto& entry : entries) create_scene(entry.first, entry.second);
  }
  list.renew_all = list.reread_list = list.fresh = false;
  list.stale.clear();
  list.configs_made.clear();
}

}  // namespace

void init(std::string video_name) {
  SceneObjectFabric::add_fabric("Image", &image_fabric);
  SceneObjectFabric::add_fabric("Text", &text_fabric);
  SceneObjectFabric::add_fabric("Timer", &timer_fabric);
  SceneObjectFabric::add_fabric("Sound", &sound_fabric);
  SceneFabric::add_fabric("generic", &generic_scene_fabric);

  SceneList& list = scene_list();
  list.keyboard_press.set_name(video_name + "->keyboard_press");
  list.keyboard_release.set_name(video_name + "->keyboard_release");
  list.mouse_press.set_name(video_name + "->mouse_press");
  list.mouse_release.set_name(video_name + "->mouse_release");
  list.mouse_move.set_name(video_name + "->mouse_move");
  list.character.set_name(video_name + "->character");
  list.video_name = video_name;

  if (Video_Interface* video = video_get_interface(video_name)) {
    video->_enable_key_events(true);
    video->_enable_mouse_button_events(true);
    video->_enable_char_events(true);
    video->_enable_mouse_move_events(true);
  }
}

bool load_scenes(std::string file, std::string video_name, Brannow::FileManager* file_manager) {
  SceneList& list = scene_list();
  list.file_manager = file_manager;
  list.list_file = file;
  if (!list.program_configs_known) {
    const std::vector<std::string> names = config_names();
    list.program_configs.insert(names.begin(), names.end());
    list.program_configs_known = true;
  }
  // A later list starts afresh: merged into the earlier one, whose values win, it would be
  // ignored, and a second create of the same name is refused anyway.
  config_remove("ScenesLoader");
  if (!config_create("ScenesLoader", "libquorra", false)) {
    list_problem("Error while trying to create config from libquorra: " + config_error(), file);
    return false;
  }
  Config_Interface* config = config_get_interface("ScenesLoader");
  if (!config) {
    list_problem("Erro with config", file);
    return false;
  }
  if (!config->load(file, file_manager))
    list_problem("Can't load the scene list, going on without its scenes: " + config_error(), file);

  bool made = true;
  tarnvale::for_each_listed(config, "Scenes->Scene", "", "->name", [&](const std::string& entry,
                                                                      const std::string& name, int) {
    const std::string scene_file = config->get_value(entry + "->file", "");
    const bool preload =
        tarnvale::read_flag(config, entry + "->preload", *tarnvale::find_flag_limit("Scenes->SceneN->preload"));
    const std::string type = config->get_value(entry + "->type", "generic");

    if (Scene* earlier = scene_named(name)) {
      dispose_scene(earlier);
      // The configuration keeps what was loaded into it, and its values win over a new file's.
      config_remove(name);
    }
    list.scenes.remove(name);

    Scene* scene = create_scene(name, {scene_file, type, video_name});
    if (scene && preload && !load_noted(scene)) {
      list_problem("Can't load scene \"" + name + "\" from file \"" + scene_file + "\"", scene_file);
      scene = nullptr;
    }
    made = scene != nullptr;
    return made;
  });
  return made;
}

void process_scene(std::string name) {
  SceneList& list = scene_list();
  list.current_scene = name;
  list.next_scene = name;
  list.first_scene = name;

  Video_Interface* video = video_get_interface(list.video_name);
  if (!video) {
    list_problem("Unable to get video device:" + list.video_name);
    return;
  }
  Scene* scene = scene_named(list.current_scene);
  if (!scene) {
    report_no_such_scene(list.current_scene);
    return;
  }
  scene->slot__on_activate(nullptr);
  if (!scene->scene_loaded() && !load_noted(scene)) return;
  if (!scene->draw()) return;

  for (;;) {
    video->_flip();
    for (RunObserver* observer : list.observers) observer->frame_ended();
    pump_events();

    if (list.next_scene != list.current_scene || list.fresh || list.renew_all ||
        list.stale.count(list.current_scene) > 0) {
      if (list.next_scene == kExit) return;
      scene->slot__on_deactivate(nullptr);
      if (list.renew_all) {
        renew_every_scene();
        if (!scene_named(list.current_scene)) list.current_scene = list.first_scene;
      } else if (list.stale.count(list.next_scene) > 0) {
        list.fresh = false;
        renew_scene(list.next_scene, true);
      } else if (list.fresh) {
        list.fresh = false;
        renew_scene(list.next_scene, false);
      }
      if (scene_named(list.next_scene))
        list.current_scene = list.next_scene;
      else
        list.next_scene = list.current_scene;

      scene = scene_named(list.current_scene);
      if (!scene) {
        report_no_such_scene(list.current_scene);
        return;
      }
      if (!scene->scene_loaded()) {
        scene->set_file_manager(list.file_manager);
        if (!load_noted(scene)) return;
      }
      scene->slot__on_activate(nullptr);
      scene->reinit();
    }

    if (!scene->draw()) return;
  }
}

void add_run_observer(RunObserver* observer) { scene_list().observers.push_back(observer); }

void remove_run_observer(RunObserver* observer) {
  std::vector<RunObserver*>& observers = scene_list().observers;
  observers.erase(std::remove(observers.begin(), observers.end(), observer), observers.end());
}

void renew_all_scenes(bool reread_list, std::function<void()> while_no_scene) {
  SceneList& list = scene_list();
  list.renew_all = true;
  list.reread_list = list.reread_list || reread_list;
  if (while_no_scene) list.while_no_scene.push_back(std::move(while_no_scene));
}

bool renew_scenes(const std::set<std::string>& names) {
  SceneList& list = scene_list();
  for (const std::string& name : names)
    if (list.entries.count(name) > 0) list.stale.insert(name);
  return list.stale.count(list.current_scene) > 0;
}

std::string scene_reading_data() {
  const SceneList& list = scene_list();
  return list.loading_scene.empty() ? list.current_scene : list.loading_scene;
}

void set_next_scene(std::string name) {
  scene_list().next_scene = name;
  scene_list().fresh = false;
}

void set_next_scene_fresh(std::string name) {
  scene_list().next_scene = name;
  scene_list().fresh = true;
}

Scene* get_scene(std::string name) { return scene_named(name); }
