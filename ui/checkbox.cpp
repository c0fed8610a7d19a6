#include "panolet/checkbox.h"

#include <cstdlib>

#include "panolet/ui.h"
#include "tarnvale/number_limits.h"
#include "voskar/scene.h"
#include "picture.h"

namespace {
const char* const hover_suffix = "hover";
const char* const checked_suffix = "checked";
}  // namespace

Checkbox::Checkbox() : x_base(0.5f), y_base(0.5f), is_hover(false), checked(false) {}

Checkbox::~Checkbox() = default;

bool Checkbox::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                    std::string scene_name, std::string object_name,
                    Brannow::FileManager* file_manager) {
  Config_Interface* config =
      load_base(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  auto value = [&](const char* key, const char* default_value) {
    return config->get_value(storage_prefix + key, default_value);
  };
  base_image_file = value("Checkbox->base_image_file", "");
  loader = value("Checkbox->loader", "");
  read_limited(config, "Checkbox->x_base", &x_base);
  read_limited(config, "Checkbox->y_base", &y_base);
  hover_image_file = value("Checkbox->hover_image_file", "");
  checked_image_file = value("Checkbox->checked_image_file", "");
  setting = value("Checkbox->setting", "");
  label = value("Checkbox->label", "");
  checked = tarnvale::read_flag(config, storage_prefix, "Checkbox->checked");
  choice = value("Checkbox->value", "");
  // A setting made earlier (the box's scene loaded again, or another box) wins.
  follow_setting();
  toggled.set_name(scene_name + "->" + object_name + "->toggled");
  return Checkbox::real_load(scene, storage_name, storage_prefix, scene_name, object_name,
                             file_manager);
}

bool Checkbox::real_load(Scene*, std::string, std::string, std::string, std::string object_name,
                         Brannow::FileManager* file_manager) {
  // The sprites are kept: draw would otherwise build and look up their names every frame.
  box_sprite = hover_sprite = mark_sprite = nullptr;
  if (!load_image(base_image_file, object_name, file_manager, &box_sprite)) return false;
  if (!hover_image_file.empty() &&
      !load_image(hover_image_file, object_name + hover_suffix, file_manager, &hover_sprite))
    return false;
  if (!checked_image_file.empty() &&
      !load_image(checked_image_file, object_name + checked_suffix, file_manager, &mark_sprite))
    return false;
  return true;
}

bool Checkbox::load_image(std::string file, std::string name, Brannow::FileManager* file_manager,
                          Video_Sprite** sprite) {
  std::string error;
  *sprite = load_picture_sprite(_video_name_, loader, file, name, _scene_name_, file_manager,
                                x_base, y_base, &error);
  if (*sprite) return true;
  _set_error(error);
  return false;
}

void Checkbox::draw() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) return;
  calculate_position();
  // Another box of the same setting may have changed it.
  follow_setting();
  auto draw_sprite = [&](Video_Sprite* sprite) {
    if (!sprite) return false;
    sprite->_set_coord(x, y);
    video->_draw_sprite(sprite);
    return true;
  };
  if (!is_hover || !draw_sprite(hover_sprite)) draw_sprite(box_sprite);
  if (checked) draw_sprite(mark_sprite);
}

void Checkbox::_on_mouse_enter(float x, float y, MOUSE_BUTTON button) {
  if (!is_hover) play_hover_sound();
  is_hover = true;
  SceneObject::_on_mouse_enter(x, y, button);
}

void Checkbox::_on_mouse_leave(float x, float y, MOUSE_BUTTON button) {
  is_hover = false;
  SceneObject::_on_mouse_leave(x, y, button);
}

bool Checkbox::_is_point_in_object(float px, float py) {
  if (SceneObject::_is_point_in_object(px, py)) return true;
  SceneObject* caption = label.empty() || !scene ? nullptr : scene->get_object(label);
  if (!caption || !caption->_get_show()) return false;
  VideoRect area;
  caption->_get_active_area_rect(&area);
  return area.x1 <= px && px <= area.x2 && area.y1 <= py && py <= area.y2;
}

bool Checkbox::slot__on_mouse_release(SlotArgs* args) {
  if (!args || args->int_params.empty() || args->float_params.size() < 4) return true;
  // Not a click here: the next widget may own it.
  if (!take_click(args)) return false;
  return _on_mouse_release_handler(args->float_params[0], args->float_params[1],
                                   args->float_params[2], args->float_params[3],
                                   args->int_params[0]);
}

bool Checkbox::_on_mouse_release_handler(float, float, float, float, int64_t) {
  // One choice of several stays ticked when clicked again.
  _set_checked(!choice.empty() || !checked);
  play_click_sound();
  toggled.clear_params();
  toggled.add_params(static_cast<int64_t>(checked ? 1 : 0));
  toggled.rise();
  return true;
}

void Checkbox::_set_checked(bool value) {
  checked = value;
  if (setting.empty()) return;
  if (choice.empty())
    ui_set_setting(setting, checked ? "1" : "0");
  else if (checked)
    ui_set_setting(setting, choice);
}

void Checkbox::follow_setting() {
  if (setting.empty()) return;
  if (choice.empty())
    checked = ui_get_setting(setting, checked ? "1" : "0") == "1";
  else
    checked = ui_get_setting(setting, checked ? choice : "") == choice;
}
