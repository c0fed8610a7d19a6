#pragma once
// A one-line text field. Clicked, it takes typed characters from the video device's character
// signal and deletes the last one on backspace (key 295, on release); clicking elsewhere ends
// the input. Its text is drawn through a text renderer into the sprite object name + "txt",
// masked by the first byte of "TextEdit->replace_text" when that is set. Its own sprite, the
// field's background, comes from the style's "image_file"; without one the text sits at the
// widget's position. With "TextEdit->setting" the text is kept in that UI setting, so a field
// in another scene can show it.

#include <cstdint>
#include <string>
#include <vector>

#include "panolet/baseuiobject.h"

class TextEdit : public BaseUIObject {
public:
  TextEdit();
  TextEdit(const TextEdit& other) = default;
  TextEdit& operator=(const TextEdit& other) = default;
  ~TextEdit() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  bool slot__on_activate(SlotArgs* args) override;
  bool slot__on_deactivate(SlotArgs* args) override;
  bool slot__on_key_press(SlotArgs* args) override;
  bool slot__on_character(SlotArgs* args) override;
  // Takes the text of the setting again when the scene comes back.
  bool slot__on_scene_reinit(SlotArgs* args) override;
  // Focus: the scene connects an object's requested links when it is clicked and drops them
  // when another object is clicked; the field takes and ends its input with them.
  void connect_signals(bool keep_on_load) override;
  void disconnect_signals(bool all) override;
  // A click that ends beside the field ends the input (a press on empty space keeps the
  // focus where it was).
  bool slot__on_mouse_release(SlotArgs* args) override;
  // Leaving the scene ends the input too.
  void unregister_slots() override;

  bool _on_activate_handler();
  bool _on_deactivate_handler();
  bool _on_character_handler(int64_t code);
  bool _on_key_press_handler(int64_t key);

  std::vector<int32_t> _get_text() { return text; }
  void _set_text(std::vector<int32_t> value) { text = value; }
  // The text as UTF-8.
  std::string _get_text_utf8();
  int32_t _get_replacer() { return replacer; }
  void _set_replacer(int32_t value) { replacer = value; }
  std::string _get_replace_text() { return replace_text; }
  void _set_replace_text(std::string value) {
    replace_text = value;
    rendered.clear();
  }
  std::string _get_font() { return font; }
  void _set_font(std::string value) {
    font = value;
    rendered.clear();
  }
  int32_t _get_font_size() { return font_size; }
  void _set_font_size(int32_t value) {
    font_size = value;
    rendered.clear();
  }
  uint32_t _get_color() { return color; }
  void _set_color(uint32_t value) {
    color = value;
    rendered.clear();
  }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) { x_base = value; }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) { y_base = value; }
  int32_t _get_max_length() { return max_length; }
  void _set_max_length(int32_t value) { max_length = value; }
  bool _get_active() { return active; }
  // The UI setting that mirrors the text (empty: none).
  std::string _get_setting() { return setting; }

protected:
  std::vector<int32_t> text;
  int32_t replacer;
  std::string replace_text;
  std::string renderer_type;
  std::string font;
  int32_t font_size;
  uint32_t color;
  float x_base, y_base;
  int32_t max_length;
  bool active;
  std::string setting;
  // What was rendered last, so that an unchanged text is not rendered again.
  std::vector<int> rendered;
};
