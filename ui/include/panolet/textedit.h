#pragma once
// A one-line text field. Clicked, it takes typed characters from the video device's character
// signal and inserts them at its cursor; on key release, backspace deletes the character before
// the cursor, delete the one after it, left, right, home and end move it. Clicking elsewhere
// ends the input. Its text is drawn through a text renderer into the sprite object name + "txt",
// masked by the first byte of "TextEdit->replace_text" when that is set.
//
// Its own sprite, the field's background, comes from the style's "image_file"; the text then
// stands in the picture's inner rectangle, "padding" pixels in from each edge (style key,
// default 0), with its base point (x_base, y_base) on that rectangle's lower left corner.
// Without a picture the text sits at the widget's position and "TextEdit->view_width" (pixels,
// default 0: no limit) bounds it. A text wider than that scrolls to keep the insertion point in
// view in a field that takes input (max_length above 0), and is cut at its end in one that
// does not; with "TextEdit->ellipsis" set (say "…"), a field that takes no input shortens such
// a text to what fits with the ellipsis after it.
// With the style key "cursor_width" above 0 (pixels, default 0) the field has a cursor: a bar of
// the text's colour, shown while the field takes keys and blinking every "cursor_blink" seconds
// (style key, default 0.5; 0 keeps it on). Without one the insertion point stays at the end.
// Only the shown part of the text is rendered, and only when the text or the scrolling changed;
// the blinking only shows or hides the cursor's sprite.
//
// With "TextEdit->setting" the text is kept in that UI setting, so a field in another scene can
// show it.

#include <cstdint>
#include <string>
#include <vector>

#include "panolet/baseuiobject.h"
#include "scrivet/textrenderer.h"

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
  // Puts the cursor after the new text.
  void _set_text(std::vector<int32_t> value);
  // The text as UTF-8.
  std::string _get_text_utf8();
  int32_t _get_replacer() { return replacer; }
  void _set_replacer(int32_t value) { replacer = value; }
  std::string _get_replace_text() { return replace_text; }
  void _set_replace_text(std::string value) {
    replace_text = value;
    text_changed = true;
  }
  std::string _get_font() { return font; }
  void _set_font(std::string value) {
    font = value;
    text_changed = true;
  }
  int32_t _get_font_size() { return font_size; }
  void _set_font_size(int32_t value) {
    font_size = value;
    text_changed = true;
  }
  uint32_t _get_color() { return color; }
  void _set_color(uint32_t value) {
    color = value;
    text_changed = true;
  }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) {
    x_base = value;
    window_changed = true;
  }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) {
    y_base = value;
    window_changed = true;
  }
  int32_t _get_max_length() { return max_length; }
  void _set_max_length(int32_t value) { max_length = value; }
  bool _get_active() { return active; }
  // The UI setting that mirrors the text (empty: none).
  std::string _get_setting() { return setting; }
  // The insertion point: the number of characters before it.
  std::size_t _get_cursor() { return cursor; }
  int32_t _get_padding() { return padding; }
  // Pixels of the text scrolled out of view to the left.
  int _get_scroll() { return scroll; }
  // How many times the text was rendered.
  int _get_render_count() { return render_count; }

  // Seconds on a steady clock, for the cursor's blinking; tests replace it.
  static double (*clock)();

protected:
  // The text changed: render it again, store it in the setting.
  void text_edited();
  // Makes the displayed text (masked or not) and measures it.
  void measure_displayed(Text_Renderer* renderer);
  // Shortens the measured displayed text to the visible width, ending it with the ellipsis.
  void shorten_displayed(Text_Renderer* renderer);
  bool shortens() { return !takes_input() && !ellipsis.empty(); }
  // Renders the part of the displayed text that is shown, from `scroll` on, into the shown
  // sprite; false with the error set when that fails.
  bool show_window(Video_Interface* video, Text_Renderer* renderer);
  // The cursor's sprite: a bar of the text's colour as high as a line of the font.
  bool make_cursor(Video_Interface* video);
  // Scrolls so that the cursor stays in view; true when the shown window moved.
  bool follow_cursor();
  // The width in pixels the text may take (0: any).
  int visible_width(Video_Sprite* field);
  bool takes_input() { return static_cast<uint32_t>(max_length) > 0; }
  bool cursor_shown();

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
  std::string ellipsis;
  int32_t view_width;
  int32_t padding;
  int32_t cursor_width;
  double cursor_blink;
  std::size_t cursor;

  // What is drawn, kept between frames: the text is measured when it changed and rendered when
  // it, the scrolling or the visible width changed.
  bool text_changed;
  bool window_changed;
  std::vector<int> displayed;  // the text as shown: masked when replace_text is set
  Text_Extent extent;  // of the displayed text; no carets when the renderer cannot measure
  int scroll;
  int shown_width;     // the visible width the window was made for
  double blink_start;
  int render_count;
  // Names and sprites of the shown text and the cursor; the sprites are this field's own and
  // are replaced only here.
  std::string text_name, cursor_name;
  Video_Sprite* text_sprite;
  Video_Sprite* cursor_sprite;
  Video_Sprite* field_sprite;  // the background picture's, null without one
  int cursor_height;
};
