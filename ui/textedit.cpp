#include "panolet/textedit.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

#include "panolet/ui.h"
#include "picture.h"
#include "scrivet/textrenderer.h"
#include "voskar/text.h"

namespace {

const char* const text_sprite_suffix = "txt";
const char* const cursor_suffix = "cur";

double steady_seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::string to_utf8(const std::vector<int32_t>& codes) {
  std::string out;
  for (int32_t signed_code : codes) {
    const uint32_t code = static_cast<uint32_t>(signed_code);
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | ((code >> 18) & 0x07));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return out;
}

// Reads back what to_utf8 wrote; a sequence cut short by the end of the text is dropped.
std::vector<int32_t> from_utf8(const std::string& text) {
  std::vector<int32_t> codes;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (i + length > text.size()) break;
    int32_t code = length == 1   ? lead
                   : length == 2 ? lead & 0x1F
                   : length == 3 ? lead & 0x0F
                                 : lead & 0x07;
    for (std::size_t k = 1; k < length; ++k)
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    codes.push_back(code);
    i += length;
  }
  return codes;
}

}  // namespace

double (*TextEdit::clock)() = steady_seconds;

TextEdit::TextEdit()
    : replacer(0), font_size(14), color(0xffffffffu), x_base(0.5f), y_base(0.5f), max_length(0),
      active(false), view_width(0), padding(0), cursor_width(0), cursor_blink(0.5), cursor(0),
      text_changed(true), window_changed(true), scroll(0), shown_width(-1), blink_start(0),
      render_count(0), text_sprite(nullptr), cursor_sprite(nullptr), field_sprite(nullptr), cursor_height(-1) {}

TextEdit::~TextEdit() = default;

bool TextEdit::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                    std::string scene_name, std::string object_name,
                    Brannow::FileManager* file_manager) {
  Config_Interface* config =
      load_base(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  auto value = [&](const char* key, const char* default_value) {
    return config->get_value(storage_prefix + key, default_value);
  };
  replace_text = value("TextEdit->replace_text", "");
  renderer_type = value("TextEdit->renderer_type", "ttfrenderer");
  font = value("TextEdit->font", "");
  read_limited(config, "TextEdit->font_size", &font_size);
  read_limited(config, "TextEdit->color", &color);
  read_limited(config, "TextEdit->x_base", &x_base);
  read_limited(config, "TextEdit->y_base", &y_base);
  read_limited(config, "TextEdit->max_length", &max_length);
  setting = value("TextEdit->setting", "");
  ellipsis = value("TextEdit->ellipsis", "");
  read_limited(config, "TextEdit->view_width", &view_width);
  padding = static_cast<int32_t>(style_number("", "padding"));
  cursor_width = static_cast<int32_t>(style_number("", "cursor_width"));
  cursor_blink = style_number("", "cursor_blink");
  if (!setting.empty()) text = from_utf8(ui_get_setting(setting, ""));
  cursor = text.size();
  text_changed = true;
  text_sprite = cursor_sprite = field_sprite = nullptr;
  cursor_height = -1;
  text_name = object_name + text_sprite_suffix;
  cursor_name = object_name + cursor_suffix;

  // The field's background: the widget's own sprite, which activation tints.
  const std::string background = style_value("image_file");
  if (background.empty()) return true;
  std::string error;
  // Kept: a field without a picture would otherwise leave a lookup's message every frame.
  field_sprite = load_picture_sprite(_video_name_, "", background, object_name, scene_name,
                                     file_manager, BaseUIObject::x_base, BaseUIObject::y_base, &error);
  if (field_sprite) return true;
  _set_error(error);
  return false;
}

void TextEdit::_set_text(std::vector<int32_t> value) {
  text = value;
  cursor = text.size();
  text_changed = true;
}

bool TextEdit::_on_activate_handler() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) {
    _set_error("Can't get video interface:" + video_error());
    return false;
  }
  video->_enable_char_events(true);
  video->_enable_key_events(true);
  if (Video_Sprite* sprite = video->_get_sprite(_object_name_, _scene_name_))
    sprite->_set_blend_color(0.5f, 0.5f, 0.5f);
  connect(_video_name_ + "->character", slot_name("_on_character"));
  connect(_video_name_ + "->keyboard_release", slot_name("_on_key_press"));
  active = true;
  blink_start = clock();
  return false;
}
bool TextEdit::_on_deactivate_handler() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) {
    _set_error("Can't get video interface:" + video_error());
    return false;
  }
  if (Video_Sprite* sprite = video->_get_sprite(_object_name_, _scene_name_))
    sprite->_set_blend_color(1.0f, 1.0f, 1.0f);
  disconnect(_video_name_ + "->character", slot_name("_on_character"));
  disconnect(_video_name_ + "->activate", slot_name("_on_activate"));
  disconnect(_video_name_ + "->keyboard_release", slot_name("_on_key_press"));
  active = false;
  return true;
}

bool TextEdit::slot__on_activate(SlotArgs* args) {
  // The scene's activate signal comes with any click in the scene; only one on the field
  // starts the input.
  if (args && args->float_params.size() >= 2 &&
      !_is_point_in_object(args->float_params[0], args->float_params[1]))
    return false;
  return _on_activate_handler();
}

bool TextEdit::slot__on_deactivate(SlotArgs*) { return _on_deactivate_handler(); }

void TextEdit::connect_signals(bool keep_on_load) {
  BaseUIObject::connect_signals(keep_on_load);
  if (!keep_on_load) _on_activate_handler();
}

void TextEdit::disconnect_signals(bool all) {
  SceneObject::disconnect_signals(all);
  if (active) _on_deactivate_handler();
}

bool TextEdit::slot__on_mouse_release(SlotArgs* args) {
  if (active && args && args->float_params.size() >= 2 &&
      !_is_point_in_object(args->float_params[0], args->float_params[1]))
    _on_deactivate_handler();
  return false;
}

void TextEdit::unregister_slots() {
  if (active) _on_deactivate_handler();
  SceneObject::unregister_slots();
}

bool TextEdit::slot__on_scene_reinit(SlotArgs* args) {
  if (!setting.empty()) _set_text(from_utf8(ui_get_setting(setting, _get_text_utf8())));
  return SceneObject::slot__on_scene_reinit(args);
}

// A pack without an integer is the sender's fault; it is consumed without effect.
bool TextEdit::slot__on_character(SlotArgs* args) {
  return !args || args->int_params.empty() || _on_character_handler(args->int_params[0]);
}

bool TextEdit::slot__on_key_press(SlotArgs* args) {
  return !args || args->int_params.empty() || _on_key_press_handler(args->int_params[0]);
}

bool TextEdit::_on_character_handler(int64_t code) {
  if (static_cast<uint32_t>(text.size()) < static_cast<uint32_t>(max_length)) {
    cursor = std::min(cursor, text.size());
    text.insert(text.begin() + static_cast<std::ptrdiff_t>(cursor), static_cast<int32_t>(code));
    ++cursor;
    text_edited();
  }
  return true;
}

bool TextEdit::_on_key_press_handler(int64_t key) {
  cursor = std::min(cursor, text.size());
  // Without a cursor to show, the insertion point stays at the end of the text.
  const bool movable = cursor_width > 0;
  switch (key) {
    case VKEY_BACKSPACE:
      if (cursor == 0) return true;
      text.erase(text.begin() + static_cast<std::ptrdiff_t>(--cursor));
      text_edited();
      break;
    case VKEY_DEL:
      if (!movable || cursor == text.size()) return true;
      text.erase(text.begin() + static_cast<std::ptrdiff_t>(cursor));
      text_edited();
      break;
    case VKEY_LEFT:
      if (movable && cursor > 0) --cursor;
      break;
    case VKEY_RIGHT:
      if (movable && cursor < text.size()) ++cursor;
      break;
    case VKEY_HOME:
      if (movable) cursor = 0;
      break;
    case VKEY_END:
      if (movable) cursor = text.size();
      break;
    default:
      return true;
  }
  // The cursor shows at once after every key.
  blink_start = clock();
  return true;
}

void TextEdit::text_edited() {
  text_changed = true;
  blink_start = clock();
  if (!setting.empty()) ui_set_setting(setting, _get_text_utf8());
}

std::string TextEdit::_get_text_utf8() { return to_utf8(text); }

void TextEdit::measure_displayed(Text_Renderer* renderer) {
  replacer = replace_text.empty() ? 0 : static_cast<int32_t>(static_cast<signed char>(replace_text[0]));
  displayed = replace_text.empty() ? text : std::vector<int>(text.size(), replacer);
  // A renderer that cannot measure leaves no carets: the text is then shown whole, without a
  // cursor.
  if (!renderer->measure_text(font, &displayed, font_size, &extent)) extent = Text_Extent();
  if (shortens()) shorten_displayed(renderer);
  text_changed = false;
  window_changed = true;
}

void TextEdit::shorten_displayed(Text_Renderer* renderer) {
  if (shown_width <= 0 || extent.width <= shown_width || extent.carets.empty()) return;
  std::vector<int> mark = from_utf8(ellipsis);
  Text_Extent mark_extent;
  if (!renderer->measure_text(font, &mark, font_size, &mark_extent)) return;
  std::size_t kept = std::min(displayed.size(), extent.carets.size() - 1);
  while (kept > 0 && extent.carets[kept] + mark_extent.width > shown_width) --kept;
  displayed.resize(kept);
  displayed.insert(displayed.end(), mark.begin(), mark.end());
  if (!renderer->measure_text(font, &displayed, font_size, &extent)) extent = Text_Extent();
}

int TextEdit::visible_width(Video_Sprite* field) {
  if (field) return std::max(1, field->_get_width() - 2 * padding);
  return view_width;
}

bool TextEdit::follow_cursor() {
  const int before = scroll;
  const int limit = shown_width;
  if (!takes_input() || limit <= 0 || extent.width <= limit || extent.carets.empty()) {
    scroll = 0;
  } else {
    const int caret = extent.carets[std::min(cursor, extent.carets.size() - 1)];
    const int end = std::max(extent.width, caret + cursor_width);
    scroll = std::clamp(scroll, caret + cursor_width - limit, caret);
    scroll = std::clamp(scroll, 0, end - limit);
  }
  return scroll != before;
}

bool TextEdit::show_window(Video_Interface* video, Text_Renderer* renderer) {
  text_sprite = nullptr;
  if (text.empty()) {
    window_changed = false;
    return true;
  }
  bool drawn;
  if (extent.carets.empty()) {
    drawn = renderer->render_text(_video_name_, font, &displayed, color_from_rgba(color),
                                  font_size, text_name, _scene_name_, true, nullptr);
  } else {
    const int rest = extent.width - scroll;
    const int width = std::max(1, shown_width > 0 ? std::min(shown_width, rest) : rest);
    if (!video->_create_surface(width, std::max(1, extent.height), text_name, _scene_name_, true)) {
      _set_error("Can't create surface: " + video->_get_error());
      return false;
    }
    drawn = renderer->draw_text(_video_name_, font, &displayed, color_from_rgba(color), font_size,
                                text_name, _scene_name_, scroll);
  }
  if (!drawn) {
    _set_error("Can't render text:" + renderer->get_error());
    return false;
  }
  ++render_count;
  if (!video->_create_sprite(text_name, _scene_name_, text_name, _scene_name_, true) ||
      !(text_sprite = video->_get_sprite(text_name, _scene_name_))) {
    _set_error("Can't create sprite: " + video->_get_error());
    return false;
  }
  text_sprite->_set_base_point(static_cast<double>(x_base), static_cast<double>(y_base));
  window_changed = false;
  return true;
}

bool TextEdit::make_cursor(Video_Interface* video) {
  const int height = extent.ascent + extent.descent;
  if (height == cursor_height && cursor_sprite) return true;
  cursor_sprite = nullptr;
  cursor_height = height;
  if (height <= 0) return true;
  if (!video->_create_surface(cursor_width, height, cursor_name, _scene_name_, true)) {
    _set_error("Can't create surface: " + video->_get_error());
    return false;
  }
  Video_Surface* bar = video->_get_surface(cursor_name, _scene_name_);
  auto* pixels = bar ? static_cast<unsigned char*>(bar->_get_surface_data()) : nullptr;
  if (!pixels) {
    _set_error("Can't get surface: " + video->_get_error());
    return false;
  }
  const VideoColor rgba = color_from_rgba(color);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < cursor_width; ++column)
      std::memcpy(pixels + static_cast<std::size_t>(row) * bar->_get_pitch() + column * 4, rgba.bytes, 4);
  bar->_update();
  if (!video->_create_sprite(cursor_name, _scene_name_, cursor_name, _scene_name_, true) ||
      !(cursor_sprite = video->_get_sprite(cursor_name, _scene_name_))) {
    _set_error("Can't create sprite: " + video->_get_error());
    return false;
  }
  cursor_sprite->_set_base_point(0, 0);
  return true;
}

bool TextEdit::cursor_shown() {
  if (!active || !takes_input() || cursor_width <= 0 || extent.carets.empty()) return false;
  if (cursor_blink <= 0) return true;
  return std::fmod(clock() - blink_start, 2 * cursor_blink) < cursor_blink;
}

void TextEdit::draw() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) {
    _set_error("Can't get video interface:" + video_error());
    return;
  }
  calculate_position();
  Video_Sprite* field = field_sprite;
  if (field) {
    field->_set_coord(x, y);
    video->_draw_sprite(field);
  }
  if (text.empty() && !active) return;

  const int width = visible_width(field);
  if (width != shown_width) {
    shown_width = width;
    window_changed = true;
    if (shortens()) text_changed = true;
  }
  // The renderer is needed only when something is rendered again.
  Text_Renderer* renderer = nullptr;
  auto find_renderer = [&] {
    renderer = textrenderer_get(renderer_type);
    if (!renderer) _set_error("Can't get renderer:" + textrenderer_error());
    return renderer != nullptr;
  };
  if (text_changed) {
    if (!find_renderer()) return;
    measure_displayed(renderer);
  }
  if (follow_cursor()) window_changed = true;
  if (window_changed && ((!renderer && !find_renderer()) || !show_window(video, renderer))) return;

  // The text's base point stands on the inner rectangle's lower left corner (on the position
  // without a field); the cursor goes where the pen stands in the shown part of the text.
  double left = x, bottom = y;
  const double pixel_x = 2.0 / video->_get_width(), pixel_y = 2.0 / video->_get_height();
  if (field) {
    left = field->_get_x() - field->_get_base_x() + padding * pixel_x;
    bottom = field->_get_y() - field->_get_base_y() + padding * pixel_y;
  }
  if (text_sprite) {
    place_on_pixel_grid(video, text_sprite, left, bottom);
    video->_draw_sprite(text_sprite);
  }
  if (!cursor_shown() || !make_cursor(video) || !cursor_sprite) return;
  // The cursor stands on the text's top line; without a text where its line would be.
  if (text_sprite) {
    left = text_sprite->_get_x() - text_sprite->_get_base_x();
    bottom = text_sprite->_get_y() - text_sprite->_get_base_y() +
             (text_sprite->_get_height() - cursor_height) * pixel_y;
  } else {
    bottom -= y_base * cursor_height * pixel_y;
  }
  const int caret = extent.carets[std::min(cursor, extent.carets.size() - 1)] - scroll;
  place_on_pixel_grid(video, cursor_sprite, left + caret * pixel_x, bottom);
  video->_draw_sprite(cursor_sprite);
}
