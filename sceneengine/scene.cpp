#include "voskar/scene.h"

#include <algorithm>

#include "carrow/config.h"
#include "olvane/video.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/indexed_list.h"
#include "tarnvale/number_limits.h"
#include "voskar/fabric.h"
#include "voskar/object_from_data.h"

// The scene's log line, "SCENE:" + source line + ": " + message, about the scene's file.
#define SCENE_LOG(message) TARNVALE_REPORT(scene_record(storage_file, __LINE__), message)

namespace {

tarnvale::Diagnostic scene_record(const std::string& file, int source_line) {
  tarnvale::Diagnostic record = tarnvale::diagnostic_here(
      tarnvale::Severity::error, tarnvale::Voice::scene, TARNVALE_FILE, source_line);
  record.file = file;
  return record;
}

// The pointer slots receive x and y as floats 0 and 1 and the button as integer 0.
bool pointer_args(SlotArgs* args, float* x, float* y, MOUSE_BUTTON* button) {
  if (!args || args->float_params.size() < 2 || args->int_params.empty()) return false;
  *x = args->float_params[0];
  *y = args->float_params[1];
  // Only the three button bits mean anything.
  *button = static_cast<MOUSE_BUTTON>(args->int_params[0] & 7);
  return true;
}

}  // namespace

Scene::Scene()
    : slot_mouse_press(this, &Scene::slot__on_mouse_press),
      slot_mouse_move(this, &Scene::slot__on_mouse_move),
      slot_activate(this, &Scene::slot__on_activate),
      slot_deactivate(this, &Scene::slot__on_deactivate),
      z_order_stale(false),
      draw_depth(0),
      removals(0),
      removals_at_rebuild(0),
      loaded(false),
      focus(nullptr),
      hover(nullptr),
      pointer_x(0.0f),
      pointer_y(0.0f),
      reinitialised(false),
      mouse_cursor_state(true),
      file_manager(nullptr),
      width(0),
      height(0),
      base_x(0.5f),
      base_y(0.5f),
      x(0.0f),
      y(0.0f),
      parent(nullptr) {}

// The slot objects of a copy stay bound to the copy.
Scene::Scene(const Scene& other) : Scene() { *this = other; }

Scene& Scene::operator=(const Scene& other) {
  if (this == &other) return *this;
  name = other.name;
  video_name = other.video_name;
  storage_file = other.storage_file;
  objects = other.objects;
  z_levels = other.z_levels;
  object_names = other.object_names;
  z_order = other.z_order;
  z_order_stale = other.z_order_stale;
  draw_depth = 0;
  removals = other.removals;
  removals_at_rebuild = other.removals_at_rebuild;
  loaded = other.loaded;
  focus = other.focus;
  hover = other.hover;
  pointer_x = other.pointer_x;
  pointer_y = other.pointer_y;
  reinitialised = other.reinitialised;
  new_cycle_signal = other.new_cycle_signal;
  activate_signal = other.activate_signal;
  reinit_signal = other.reinit_signal;
  mouse_cursor_state = other.mouse_cursor_state;
  file_manager = other.file_manager;
  width = other.width;
  height = other.height;
  base_x = other.base_x;
  base_y = other.base_y;
  x = other.x;
  y = other.y;
  parent = other.parent;
  return *this;
}

Scene::~Scene() = default;

bool Scene::load_scene() {
  if (video_name.empty() || storage_file.empty() || name.empty() || !file_manager)
    SCENE_LOG(TARNVALE_FILE << ":" << __LINE__ << ": Scene wasn't correctly inited!!!");

  Video_Interface* video = video_get_interface(video_name);
  if (!video) return false;
  if (width == 0) width = video->_get_width();
  if (height == 0) height = video->_get_height();

  if (!config_create(name, "libquorra", true)) {
    SCENE_LOG("Error while trying to create config from libquorra: " << config_error());
    return false;
  }
  Config_Interface* config = config_get_interface(name);
  if (!config) {
    // Left open: the line that follows goes on it, as it always has.
    tarnvale::Diagnostic record = scene_record(storage_file, __LINE__);
    record.text = "Error with config";
    record.ends_line = false;
    tarnvale::report(record);
    return false;
  }
  if (!config->load(storage_file, file_manager))
    SCENE_LOG("Can't load scene \"" << name << "\", going on with an empty one: " << config_error());

  double shown = 0;
  tarnvale::read_number(config, "", "Scene->show_mouse_cursor", storage_file, &shown);
  mouse_cursor_state = shown > 0;
  init_signals();

  bool made = true;
  tarnvale::for_each_listed(config, "Scene->Objects->Object", "->", "name", [&](const std::string& entry,
                                                                             const std::string& object_name, int) {
    double z = 0;
    tarnvale::read_number(config, entry + "z_level", *tarnvale::find_number_limit("Scene->Objects->ObjectN->z_level"),
                          storage_file, &z);
    // A repeated name replaces the earlier object.
    if (SceneObject* earlier = get_object(object_name)) dispose_object(earlier);
    else if (objects.exists(object_name)) forget_object(object_name);

    const std::string prefix = "Objects->" + object_name + "->";
    const std::string type = config->get_value(prefix + "type", "");
    const MadeObject object =
        make_object(type, {this, video_name, name, prefix, name, object_name, file_manager});
    if (object.object) {
      remember_object(object_name, object.object, static_cast<int>(z));
      return true;
    }
    if (object.unknown_type) {
      SCENE_LOG("Can't load object" << "\"" << object_name << "\"" << " from file " << "\""
                                    << storage_file << "\"");
      if (type.empty())
        SCENE_LOG("No object of type \"\": object \"" << object_name << "\" has no section \""
                                                         << prefix << "type\" in \"" << storage_file
                                                         << "\" (missing or not closed)");
      else
        SCENE_LOG(object.error);
    } else {
      SCENE_LOG("Can't load object " << "\"" << object_name << "\"" << " from file " << "\""
                                     << storage_file << "\"");
      SCENE_LOG("Error: " << object.error);
    }
    made = false;
    return false;
  });
  if (!made) return false;

  loaded = true;
  video->_enable_mouse_button_events(true);
  video->_enable_key_events(true);
  video->_enable_char_events(true);
  video->_enable_mouse_move_events(true);
  return true;
}

bool Scene::add_object(const std::string& object_name, SceneObject* object, int z_level) {
  // A taken name keeps its object; the caller still owns the one it offered.
  if (!object || objects.exists(object_name)) return false;
  remember_object(object_name, object, z_level);
  // An object that joins after the reinit gets what the reinit gave the others.
  if (reinitialised) object->slot__on_scene_reinit(nullptr);
  return true;
}

void Scene::remember_object(const std::string& object_name, SceneObject* object, int z_level) {
  objects.add(object_name, object);
  z_levels.add(object_name, z_level);
  object_names.push_back(object_name);
  z_order_stale = true;
}

SceneObject* Scene::get_object(const std::string& object_name) {
  auto it = objects.find(object_name);
  return it == objects.end() ? nullptr : it->second;
}

bool Scene::remove_object(const std::string& object_name) {
  SceneObject* object = get_object(object_name);
  if (!objects.exists(object_name)) return false;
  if (object) {
    object->disconnect_signals(true);
    object->unregister_slots();
  }
  forget_object(object_name);
  return true;
}

void Scene::forget_object(const std::string& object_name) {
  SceneObject* object = get_object(object_name);
  if (object && focus == object) focus = nullptr;
  if (object && hover == object) hover = nullptr;
  objects.remove(object_name);
  z_levels.remove(object_name);
  object_names.erase(std::remove(object_names.begin(), object_names.end(), object_name),
                     object_names.end());
  z_order_stale = true;
  ++removals;
}

void Scene::rebuild_z_order() {
  z_order.clear();
  z_order.reserve(object_names.size());
  for (const std::string& object_name : object_names) {
    auto level = z_levels.find(object_name);
    z_order.push_back(
        {level == z_levels.end() ? 0 : level->second, object_name, get_object(object_name)});
  }
  std::stable_sort(z_order.begin(), z_order.end(),
                   [](const ZEntry& a, const ZEntry& b) { return a.z_level < b.z_level; });
  z_order_stale = false;
  removals_at_rebuild = removals;
}

bool Scene::draw() {
  new_cycle_signal.rise();
  // A draw nested in an object's draw walks the order of the outer one as it stands.
  if (z_order_stale && draw_depth == 0) rebuild_z_order();

  Video_Interface* video = video_get_interface(video_name);
  if (!video) return false;
  video->_show_mouse(mouse_cursor_state);

  // Objects may remove themselves or others while drawing: once anything was removed since the
  // order was built (also before a nested draw began), the entries are looked up by name again,
  // so a removed one is simply skipped.
  ++draw_depth;
  for (std::size_t i = 0; i < z_order.size(); ++i) {
    SceneObject* object =
        removals == removals_at_rebuild ? z_order[i].object : get_object(z_order[i].name);
    if (object && object->_get_show()) draw_object(object);
  }
  --draw_depth;
  return true;
}

void Scene::draw_object(SceneObject* object) { object->draw(); }

void Scene::reinit() {
  reinitialised = true;
  reinit_signal.rise();
}

bool Scene::slot__on_mouse_press(SlotArgs* args) {
  float px, py;
  MOUSE_BUTTON button;
  if (!video_get_interface(video_name) || !pointer_args(args, &px, &py, &button)) return false;

  SceneObject* object = object_at(px, py);
  if (!object) return true;
  if (focus) focus->disconnect_signals(false);
  focus = object;
  focus->connect_signals(false);
  activate_signal.clear_params();
  activate_signal.add_params(px);
  activate_signal.add_params(py);
  activate_signal.add_params(static_cast<int64_t>(button));
  activate_signal.rise();
  return true;
}

SceneObject* Scene::object_at(float px, float py) {
  for (auto it = z_order.rbegin(); it != z_order.rend(); ++it) {
    SceneObject* object = get_object(it->name);
    if (object && object->_get_show() && object->_is_point_in_object(px, py)) return object;
  }
  return nullptr;
}

bool Scene::slot__on_mouse_move(SlotArgs* args) {
  float px, py;
  MOUSE_BUTTON button;
  if (!video_get_interface(video_name) || !pointer_args(args, &px, &py, &button)) return false;
  pointer_x = px;
  pointer_y = py;

  for (auto it = z_order.rbegin(); it != z_order.rend(); ++it) {
    SceneObject* object = get_object(it->name);
    if (!object || !object->_get_show()) continue;
    if (object->_is_point_in_object(px, py)) {
      if (object == hover) return true;
      // The object left may lie below this one, where the walk does not reach.
      if (hover) hover->_on_mouse_leave(px, py, button);
      hover = object;
      hover->_on_mouse_enter(px, py, button);
      return true;
    }
    if (object == hover) {
      object->_on_mouse_leave(px, py, button);
      hover = nullptr;
    }
  }
  return true;
}

bool Scene::slot__on_activate(SlotArgs*) {
  // Where the pointer stands now: it may have moved while another scene had it.
  if (Video_Interface* video = video_get_interface(video_name)) {
    double px = 0, py = 0;
    video->_get_mouse_position(&px, &py);
    pointer_x = static_cast<float>(px);
    pointer_y = static_cast<float>(py);
  }
  init_signals();
  init_slots();
  return true;
}

bool Scene::slot__on_deactivate(SlotArgs*) {
  // The pointer is not over anything of a scene that is left: a hover look must not wait
  // for the pointer to move once the scene is back.
  if (hover) {
    SceneObject* left = hover;
    hover = nullptr;
    left->_on_mouse_leave(pointer_x, pointer_y, static_cast<MOUSE_BUTTON>(0));
  }
  reinitialised = false;
  deinit_slots();
  return true;
}

void Scene::init_signals() {
  new_cycle_signal.set_name(name + "->new_cycle");
  activate_signal.set_name(name + "->activate");
  reinit_signal.set_name(name + "->reinit");
}

void Scene::init_slots() {
  register_slot(name + "->" + "on_mouse_press", &slot_mouse_press);
  connect(video_name + "->mouse_press", name + "->on_mouse_press");
  register_slot(name + "->" + "on_mouse_move", &slot_mouse_move);
  connect(video_name + "->mouse_move", name + "->on_mouse_move");
  for (auto& entry : objects)
    if (entry.second) entry.second->register_slots();
}

void Scene::deinit_slots() {
  disconnect(video_name + "->mouse_press", name + "->on_mouse_press");
  unregister_slot(name + "->on_mouse_press");
  disconnect(video_name + "->mouse_move", name + "->on_mouse_move");
  unregister_slot(name + "->on_mouse_move");
  for (auto& entry : objects)
    if (entry.second) entry.second->unregister_slots();
}
