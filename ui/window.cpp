#include "panolet/window.h"

#include <cstdlib>

#include "panolet/ui.h"
#include "voskar/object_from_data.h"

Window::Window()
    : width(100), height(100), internal_scene(nullptr), last_pointer_x(0), last_pointer_y(0),
      hit_x(0), hit_y(0), press_forwarded(false) {}

Window::~Window() { delete_internal_scene(); }

void Window::delete_internal_scene() {
  dispose_scene(internal_scene);
  internal_scene = nullptr;
}

bool Window::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                  std::string scene_name, std::string object_name,
                  Brannow::FileManager* file_manager) {
  Config_Interface* config =
      load_base(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  if (!Image::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager))
    return false;
  read_limited(config, "Window->width", &width);
  read_limited(config, "Window->height", &height);
  internal_scene_file = config->get_value(storage_prefix + "Window->internal_scene_file", "");
  return Window::real_load(scene, storage_name, storage_prefix, scene_name, object_name,
                           file_manager);
}

bool Window::real_load(Scene* scene, std::string, std::string, std::string,
                       std::string object_name, Brannow::FileManager* file_manager) {
  delete_internal_scene();
  // The scene would load an unreadable file as an empty scene: an empty window is a mistake.
  if (!scene_file_readable(file_manager)) {
    SceneObject::_set_error("Can't read internal scene file \"" + internal_scene_file + "\"");
    return false;
  }
  if (!check_nesting(scene)) return false;
  calculate_position();
  internal_scene = new Scene();
  internal_scene->set_name(object_name);
  internal_scene->set_storage_file(internal_scene_file);
  internal_scene->set_height(height);
  internal_scene->set_width(width);
  internal_scene->set_base_x(BaseUIObject::x_base);
  internal_scene->set_base_y(BaseUIObject::y_base);
  internal_scene->set_x(x);
  internal_scene->set_y(y);
  internal_scene->set_video_name(_video_name_);
  internal_scene->set_parent(scene);
  internal_scene->set_file_manager(file_manager);
  if (internal_scene->load_scene()) return true;
  SceneObject::_set_error("Can't load internal scene from file \"" + internal_scene_file + "\"");
  return false;
}

bool Window::check_nesting(Scene* scene) {
  // Windows in windows: a file that is open further out would include itself for ever. The
  // depth bound also stops cycles through differently written paths of one file.
  const int max_depth = 16;
  int depth = 0;
  for (Scene* outer = scene; outer != nullptr; outer = outer->get_parent(), ++depth) {
    if (outer->get_storage_file() == internal_scene_file) {
      SceneObject::_set_error("Scene file \"" + internal_scene_file + "\" includes itself through window \"" +
                              _object_name_ + "\"");
      return false;
    }
    if (depth == max_depth) {
      SceneObject::_set_error("Windows nested more than " + std::to_string(max_depth) +
                              " deep at scene file \"" + internal_scene_file + "\"");
      return false;
    }
  }
  return true;
}

bool Window::scene_file_readable(Brannow::FileManager* file_manager) {
  if (!file_manager || internal_scene_file.empty()) return false;
  try {
    file_manager->open(internal_scene_file, Brannow::READ, Brannow::NO_CACHE);
    return true;
  } catch (const BrannowError&) {
    return false;
  }
}

void Window::draw() {
  calculate_position();
  Image::draw();
  if (!internal_scene) return;
  internal_scene->set_x(x);
  internal_scene->set_y(y);
  forward_pointer();
  internal_scene->draw();
}

void Window::forward_pointer() {
  // The enclosing scene consumes the pointer's moves, so the inner objects would never hover.
  // Its last seen position is taken, not the window system's: no round trip to it per frame.
  if (!scene) return;
  const float pointer_x = scene->get_pointer_x(), pointer_y = scene->get_pointer_y();
  if (pointer_x == last_pointer_x && pointer_y == last_pointer_y) return;
  last_pointer_x = pointer_x;
  last_pointer_y = pointer_y;
  SlotArgs args;
  args.float_params = {pointer_x, pointer_y};
  args.int_params = {0};
  internal_scene->slot__on_mouse_move(&args);
}

void Window::forward_press(SlotArgs* args) {
  if (internal_scene) internal_scene->slot__on_mouse_press(args);
}

bool Window::_is_point_in_object(float x, float y) {
  if (!Image::_is_point_in_object(x, y)) return false;
  hit_x = x;
  hit_y = y;
  return true;
}

void Window::connect_signals(bool keep_on_load) {
  BaseUIObject::connect_signals(keep_on_load);
  if (keep_on_load) return;
  // Which button it was is not known here; the inner objects react to any.
  SlotArgs args;
  args.float_params = {hit_x, hit_y};
  args.int_params = {MOUSE_BUTTON_LEFT};
  forward_press(&args);
  press_forwarded = true;
}

bool Window::slot__on_activate(SlotArgs* args) {
  // The focusing press has been handed in already.
  if (press_forwarded)
    press_forwarded = false;
  else
    forward_press(args);
  return false;
}

bool Window::slot__on_deactivate(SlotArgs* args) {
  if (internal_scene) internal_scene->slot__on_deactivate(args);
  return false;
}

bool Window::slot__on_scene_reinit(SlotArgs* args) {
  // The window's own requested links (its press forwarding among them) come back with the
  // scene, as every object's do.
  SceneObject::slot__on_scene_reinit(args);
  if (internal_scene) {
    internal_scene->slot__on_activate(args);
    internal_scene->reinit();
  }
  return false;
}

bool Window::slot__on_character(SlotArgs*) { return false; }
bool Window::slot__on_key_press(SlotArgs*) { return false; }
bool Window::slot__on_key_release(SlotArgs*) { return false; }
bool Window::slot__on_mouse_release(SlotArgs*) { return false; }

void Window::unregister_slots() {
  SceneObject::unregister_slots();
  if (internal_scene) internal_scene->slot__on_deactivate(nullptr);
}
