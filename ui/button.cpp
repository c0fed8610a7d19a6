#include "panolet/button.h"

#include <cstdlib>

#include "log.h"
#include "panolet/ui.h"
#include "voskar/fabric.h"
#include "voskar/image.h"
#include "voskar/object_from_data.h"
#include "voskar/scene.h"
#include "voskar/text.h"

Button::Button()
    : font_color(0), hover_font_color(0), font_size(0), hover_font_size(0), state(0) {}

Button::~Button() {
  // The scene holds the sub-objects; a button that goes takes them along.
  for (auto& [name, object] : sub_objects) {
    if (!scene || scene->get_object(name) != object) continue;
    dispose_object(object);
  }
}

bool Button::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                  std::string scene_name, std::string object_name,
                  Brannow::FileManager* file_manager) {
  Config_Interface* config =
      load_base(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  caption = config->get_value(storage_prefix + "Button->caption", "");
  released.set_name(scene_name + "->" + object_name + "->released");
  read_text_style("", &font, &font_color, &font_size, &renderer_type);
  read_text_style("hover->", &hover_font, &hover_font_color, &hover_font_size,
                  &hover_renderer_type);
  image_file = style_value("image_file");
  hover_image_file = style_value("hover->image_file");
  show_setting = config->get_value(storage_prefix + "Button->show_setting", "");
  return Button::real_load(scene, storage_name, storage_prefix, scene_name, object_name,
                           file_manager);
}

bool Button::real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                       std::string scene_name, std::string object_name,
                       Brannow::FileManager* file_manager) {
  base_image_name = object_name + "baseimage";
  hover_image_name = object_name + "hoverimage";
  base_caption_name = object_name + "basecaption";
  hover_caption_name = object_name + "hovercaption";

  const std::string no_image = "failed to create object of type Image";
  const std::string no_text = "failed to create subobject of type Text";
  auto picture = [this](const std::string& file) {
    return [this, file](Image* image) {
      image->_set_image_file(file);
      image->_set_x_base(x_base);
      image->_set_y_base(y_base);
    };
  };
  auto caption_look = [this](const std::string& text_font, uint32_t color, int size,
                             const std::string& renderer) {
    return [=](Text* text) {
      text->_set_text(caption);
      text->_set_renderer_type(renderer);
      text->_set_font(text_font);
      text->_set_font_size(size);
      text->_set_color(color);
      text->_set_x_base(x_base);
      text->_set_y_base(y_base);
    };
  };

  if (!add_sub_object<Image>("Image", no_image, base_image_name, true, 0, picture(image_file),
                             scene, storage_name, storage_prefix, scene_name, file_manager))
    return false;
  if (!hover_image_file.empty() &&
      !add_sub_object<Image>("Image", no_image, hover_image_name, false, 0,
                             picture(hover_image_file), scene, storage_name, storage_prefix,
                             scene_name, file_manager))
    return false;
  if (!add_sub_object<Text>("Text", no_text, base_caption_name, true, 1,
                            caption_look(font, font_color, font_size, renderer_type), scene,
                            storage_name, storage_prefix, scene_name, file_manager))
    return false;
  if (!add_sub_object<Text>(
          "Text", no_text, hover_caption_name, false, 1,
          caption_look(hover_font, hover_font_color, hover_font_size, hover_renderer_type),
          scene, storage_name, storage_prefix, scene_name, file_manager))
    return false;
  state = 0;
  apply_show_setting();
  return true;
}

template <typename T, typename Setup>
bool Button::add_sub_object(const std::string& type, const std::string& create_failure,
                            const std::string& name, bool shown, int z_level, Setup setup,
                            Scene* scene, std::string storage_name, std::string storage_prefix,
                            std::string scene_name, Brannow::FileManager* file_manager) {
  // The scene keeps the first object of a name: a taken name would leave this one nowhere.
  const bool placeable = scene && !scene->get_object(name);
  MadeObject made;
  if (placeable)
    made = make_object_of<T>(type, {scene, _video_name_, storage_name, storage_prefix, scene_name, name, file_manager},
                             [&](T* typed) {
                               // Placed by the button's own position properties; the look is set here, not read.
                               setup(typed);
                               return typed->T::real_load(scene, storage_name, storage_prefix, scene_name, name,
                                                          file_manager);
                             });
  if (!placeable || made.unknown_type) {
    PANOLET_LOG("Button::real_load", create_failure);
    _set_error(create_failure);
    return false;
  }
  if (!made.object) {
    // The scene reports the button's own error text: it says what went wrong below it.
    _set_error("Unable to load " + type + " subobject: " + made.error);
    PANOLET_LOG("Button::real_load", _get_error());
    return false;
  }
  SceneObject* object = made.object;
  object->_set_show(shown);
  scene->add_object(name, object, z_level);
  sub_objects.emplace_back(name, object);
  return true;
}

void Button::switch_look(const std::string& show_image, const std::string& show_caption,
                         const std::string& hide_image, const std::string& hide_caption) {
  if (!scene) return;
  auto set_shown = [this](const std::string& name, bool shown) {
    if (SceneObject* object = scene->get_object(name)) object->_set_show(shown);
  };
  set_shown(hide_image, false);
  set_shown(show_image, true);
  set_shown(hide_caption, false);
  set_shown(show_caption, true);
}

void Button::apply_show_setting() {
  if (show_setting.empty()) return;
  show = ui_get_setting(show_setting, "0") == "1";
  switch_look("", "", hover_image_name, hover_caption_name);
  if (show)
    switch_look(base_image_name, base_caption_name, "", "");
  else
    switch_look("", "", base_image_name, base_caption_name);
  state = 0;
}

bool Button::slot__on_scene_reinit(SlotArgs* args) {
  apply_show_setting();
  return BaseUIObject::slot__on_scene_reinit(args);
}

void Button::_on_mouse_enter(float x, float y, MOUSE_BUTTON button) {
  if (state == 0) {
    switch_look(hover_image_name, hover_caption_name, base_image_name, base_caption_name);
    state = 1;
    play_hover_sound();
  }
  SceneObject::_on_mouse_enter(x, y, button);
}

void Button::_on_mouse_leave(float x, float y, MOUSE_BUTTON button) {
  if (state == 1) {
    switch_look(base_image_name, base_caption_name, hover_image_name, hover_caption_name);
    state = 0;
  }
  SceneObject::_on_mouse_leave(x, y, button);
}

bool Button::slot__on_mouse_release(SlotArgs* args) {
  if (!args || args->int_params.empty() || args->float_params.size() < 4) return true;
  // Every widget's release link is live after a scene comes back: a release that ends no
  // click here goes on to the others.
  if (!take_click(args)) return false;
  // The button itself is never drawn, so its position is worked out here.
  calculate_position();
  play_click_sound();
  rise_released(x, y, args->int_params[0]);
  return true;
}

bool Button::_on_mouse_release_handler(float x, float y, float, float, int64_t button) {
  rise_released(x, y, button);
  return true;
}

void Button::rise_released(float x, float y, int64_t button) {
  released.clear_params();
  released.add_params(x);
  released.add_params(y);
  released.add_params(button);
  released.rise();
}

SceneObject* Button::base_image() {
  return scene ? scene->get_object(base_image_name) : nullptr;
}

void Button::_get_active_area_rect(VideoRect* rect) {
  if (SceneObject* image = base_image()) {
    image->_get_active_area_rect(rect);
    return;
  }
  rect->x1 = rect->y1 = rect->x2 = rect->y2 = 0;
}

bool Button::_is_point_in_object(float x, float y) {
  SceneObject* image = base_image();
  return image && image->_is_point_in_object(x, y);
}
