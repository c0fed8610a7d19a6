#include "probe.h"

#include <cstdlib>
#include <sstream>

#include "carrow/config.h"
#include "olvane/video.h"
#include "voskar/scenemanager.h"

std::function<void(const std::string&)> Probe::sink;

bool Probe::load(Scene* owner, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager) {
  _slot_map_.emplace_back(scene_name + "->" + object_name + "->_on_custom", &slot_custom);
  if (!SceneObject::load(owner, storage_name, storage_prefix, scene_name, object_name,
                         file_manager))
    return false;
  Config_Interface* config = config_get_interface(storage_name);
  auto value = [&](const char* key, const char* fallback) {
    return config->get_value(storage_prefix + "Probe->" + key, fallback);
  };
  if (value("fail", "") == "true") {
    _set_error("probe refused to load");
    return false;
  }
  remove_on_draw = value("remove_on_draw", "");
  nested_draw = value("nested_draw", "") == "true";
  next_scene = value("next_scene", "");
  fresh = value("fresh", "") == "true";
  const int w = std::atoi(value("width", "100").c_str());
  const int h = std::atoi(value("height", "100").c_str());
  const bool transparent_corners = value("transparent_corners", "") == "true";

  Video_Interface* video = video_get_interface(_video_name_);
  if (!video->_create_surface(w, h, object_name, scene_name, true)) return false;
  Video_Surface* surface = video->_get_surface(object_name, scene_name);
  auto* pixels = static_cast<unsigned char*>(surface->_get_surface_data());
  const int row = surface->_get_pitch() / 4;
  for (int py = 0; py < h; ++py)
    for (int px = 0; px < w; ++px) {
      const bool corner = (px < w / 4 || px >= w - w / 4) && (py < h / 4 || py >= h - h / 4);
      unsigned char* pixel = pixels + 4 * (py * row + px);
      pixel[0] = 200;
      pixel[1] = 100;
      pixel[2] = 50;
      pixel[3] = transparent_corners && corner ? 0 : 255;
    }
  video->_create_sprite(object_name, scene_name, object_name, scene_name, true);
  video->_get_sprite(object_name, scene_name)
      ->_set_base_point(std::atof(value("x_base", "0").c_str()),
                        std::atof(value("y_base", "0").c_str()));
  return true;
}

void Probe::note(const std::string& what) {
  if (sink) sink(_object_name_ + ":" + what);
}

void Probe::draw() {
  calculate_position();
  Video_Interface* video = video_get_interface(_video_name_);
  video->_get_sprite(_object_name_, _scene_name_)->_set_coord(x, y);
  video->_draw_sprite(_object_name_, _scene_name_);
  note("draw");
  if (remove_on_draw.empty()) return;
  const std::string victim = remove_on_draw == "self" ? _object_name_ : remove_on_draw;
  remove_on_draw.clear();
  SceneObject* object = scene->get_object(victim);
  if (!object || !scene->remove_object(victim)) return;
  // A probe cannot delete itself while it runs; it is deleted later by delete_removed.
  if (object == this)
    removed().push_back(this);
  else
    delete object;
  if (nested_draw) scene->draw();
}

std::vector<SceneObject*>& Probe::removed() {
  static std::vector<SceneObject*> objects;
  return objects;
}

void Probe::delete_removed() {
  for (SceneObject* object : removed()) delete object;
  removed().clear();
}

bool Probe::slot__on_activate(SlotArgs*) {
  note("_on_activate");
  return false;
}

bool Probe::slot__on_key_press(SlotArgs* args) {
  note("_on_key_press " + std::to_string(args->int_params.empty() ? -1 : args->int_params[0]));
  return false;
}

bool Probe::slot__on_mouse_release(SlotArgs* args) {
  std::ostringstream text;
  text << "_on_mouse_release";
  for (float value : args->float_params) text << " " << value;
  for (int64_t value : args->int_params) text << " " << value;
  note(text.str());
  return false;
}

bool Probe::slot__on_scene_reinit(SlotArgs* args) {
  note("_on_scene_reinit");
  return SceneObject::slot__on_scene_reinit(args);
}

void Probe::_on_mouse_enter(float, float, MOUSE_BUTTON) { note("enter"); }
void Probe::_on_mouse_leave(float, float, MOUSE_BUTTON) { note("leave"); }

bool Probe::slot__on_custom(SlotArgs*) {
  note("_on_custom");
  if (next_scene.empty()) return false;
  if (fresh)
    set_next_scene_fresh(next_scene);
  else
    set_next_scene(next_scene);
  return false;
}
