#pragma once
// A check box: its box picture, the hover picture under the pointer, and while checked a
// checked picture over them. A click that starts and ends on it toggles the state, stores it
// in the UI setting named by "Checkbox->setting" (when given) and rises
// scene name + "->" + object name + "->toggled" with the new state (1 or 0). With
// "Checkbox->value" it is one choice among boxes of the same setting: ticked while the setting
// holds that value, and a click stores the value (the box stays ticked).

#include <cstdint>
#include <string>

#include "panolet/baseuiobject.h"
#include "twinkel/signals.h"

class Checkbox : public BaseUIObject {
public:
  Checkbox();
  Checkbox(const Checkbox& other) = default;
  Checkbox& operator=(const Checkbox& other) = default;
  ~Checkbox() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  bool slot__on_mouse_release(SlotArgs* args) override;
  void _on_mouse_enter(float x, float y, MOUSE_BUTTON button) override;
  void _on_mouse_leave(float x, float y, MOUSE_BUTTON button) override;
  // The box's picture, or its label's area.
  bool _is_point_in_object(float px, float py) override;

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);
  // Loads the picture file into the surface `name` of the scene's group and puts a sprite of
  // that name on it.
  bool load_image(std::string file, std::string name, Brannow::FileManager* file_manager,
                  Video_Sprite** sprite);
  bool _on_mouse_release_handler(float x, float y, float dx, float dy, int64_t button);

  std::string _get_base_image_file() { return base_image_file; }
  void _set_base_image_file(std::string value) { base_image_file = value; }
  std::string _get_loader() { return loader; }
  void _set_loader(std::string value) { loader = value; }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) { x_base = value; }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) { y_base = value; }
  std::string _get_hover_image_file() { return hover_image_file; }
  void _set_hover_image_file(std::string value) { hover_image_file = value; }
  bool _get_is_hover() { return is_hover; }
  void _set_is_hover(bool value) { is_hover = value; }
  std::string _get_checked_image_file() { return checked_image_file; }
  void _set_checked_image_file(std::string value) { checked_image_file = value; }
  bool _get_checked() { return checked; }
  // Sets the state (and the setting) without rising "toggled".
  void _set_checked(bool value);
  std::string _get_setting() { return setting; }
  // The scene object whose area toggles the box too (empty: none).
  std::string _get_label() { return label; }
  // The value this box stands for among boxes of its setting (empty: an on/off box).
  std::string _get_value() { return choice; }

protected:
  std::string base_image_file;
  std::string loader;
  float x_base, y_base;
  std::string hover_image_file;
  bool is_hover;
  std::string checked_image_file;
  bool checked;
  std::string setting;
  std::string label;
  std::string choice;
  // The box's, the hover picture's and the check mark's sprites (null when not loaded).
  Video_Sprite* box_sprite = nullptr;
  Video_Sprite* hover_sprite = nullptr;
  Video_Sprite* mark_sprite = nullptr;
  Signal toggled;

private:
  // Takes the state from the setting, which other boxes and widgets may change.
  void follow_setting();
};
