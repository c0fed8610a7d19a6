#pragma once
// What every widget shares: its style (values inherited from the active style set and
// overridden by the widget's own "style->" section), its base point and the release link that
// lets it see the end of a press that started on it.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "voskar/sceneobject.h"

class Scene;
class Text_Renderer;
struct Sound_Samples;

// Copies the pairs whose key holds the prefix into the target, under the rest of the key.
class copyStyle : public config_functor {
public:
  copyStyle() = default;
  void operator()(std::string key, std::string value) override;

  void _set_prefix(std::string value) { prefix = value; }
  std::string _get_prefix() { return prefix; }
  void _set_target(Config_Interface* value) { target = value; }
  Config_Interface* _get_target() { return target; }

private:
  std::string prefix;
  Config_Interface* target = nullptr;
};

class BaseUIObject : public virtual SceneObject {
public:
  BaseUIObject();
  BaseUIObject(const BaseUIObject& other) = default;
  BaseUIObject& operator=(const BaseUIObject& other) = default;
  ~BaseUIObject() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);
  // Every widget listens to releases (the link of real_load); one that does nothing with them
  // lets the others have them.
  bool slot__on_mouse_release(SlotArgs* args) override;
  // The scene calls this with false when a press lands on the widget (it gets the focus).
  void connect_signals(bool keep_on_load) override;

  std::string _get_style() { return style; }
  void _set_style(std::string value) { style = value; }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) { x_base = value; }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) { y_base = value; }
  std::string _get__internal_style_name_() { return _internal_style_name_; }
  // The widget's own style values (null before load).
  Config_Interface* _get_style_config() { return style_config; }

protected:
  // The first steps of every widget's load: its configuration (the error text says when there
  // is none) and BaseUIObject::load. The configuration, or null when a step failed.
  Config_Interface* load_base(Scene* scene, std::string storage_name, std::string storage_prefix,
                              std::string scene_name, std::string object_name,
                              Brannow::FileManager* file_manager);
  // The text look of the style under the key prefix ("" or "hover->"): "font", "font_color",
  // "font_size" and "renderer_type".
  void read_text_style(const std::string& key_prefix, std::string* font, uint32_t* color,
                       int32_t* size, std::string* renderer);
  // A number of the widget's style under the key prefix ("" or "hover->"), checked against the
  // limits of the plain key; a bad one is reported at the file and key that wrote it, and the
  // key's default stands in.
  double style_number(const std::string& key_prefix, std::string_view key);
  // A value of the widget's style by plain key ("font", "hover->font"); "" when absent.
  std::string style_value(const std::string& key);
  // Whether a release ends a click on this widget: the press landed on it (and no release
  // came since) and the release point (floats 0 and 1 of the pack) lies on it too. The release
  // link stays connected while the widget has the focus, so without this a press on empty
  // space would click the widget clicked last once more.
  bool take_click(SlotArgs* args);
  // Renders text into the surface and sprite of the widget's own name, puts the sprite's base
  // point on the widget's base point and the sprite on the widget's position. false with the
  // widget's error set when a step fails.
  bool render_label(Video_Interface* video, Text_Renderer* renderer, const std::string& text,
                    const std::string& font, uint32_t color, int size);

  // The style's "hover_sound" and "click_sound", played by the widgets that have a hover look
  // and a click; null when the style names none or there is no sound.
  void play_hover_sound() { play_sound(hover_sound); }
  void play_click_sound() { play_sound(click_sound); }

  std::string style;
  float x_base, y_base;
  Config_Interface* style_config;
  std::string _internal_style_name_;
  bool pressed;

private:
  std::shared_ptr<const Sound_Samples> style_sound(const char* key, Brannow::FileManager* files);
  static void play_sound(const std::shared_ptr<const Sound_Samples>& sound);
  std::shared_ptr<const Sound_Samples> hover_sound, click_sound;
};
