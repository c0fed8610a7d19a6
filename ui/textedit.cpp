#include "panolet/textedit.h"

#include <cstdlib>

#include "panolet/ui.h"
#include "picture.h"
#include "scrivet/textrenderer.h"

namespace {

const int64_t backspace_key = 295;
const char* const text_sprite_suffix = "txt";

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

TextEdit::TextEdit()
    : replacer(0), font_size(14), color(0xffffffffu), x_base(0.5f), y_base(0.5f), max_length(0),
      active(false) {}

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
  font_size = std::strtol(value("TextEdit->font_size", "14").c_str(), nullptr, 0);
  color = std::strtoul(value("TextEdit->color", "0xffffffff").c_str(), nullptr, 0);
  x_base = std::atof(value("TextEdit->x_base", "0.5").c_str());
  y_base = std::atof(value("TextEdit->y_base", "0.5").c_str());
  max_length = std::strtol(value("TextEdit->max_length", "0").c_str(), nullptr, 0);
  setting = value("TextEdit->setting", "");
  if (!setting.empty()) text = from_utf8(ui_get_setting(setting, ""));
  rendered.clear();

  // The field's background: the widget's own sprite, which activation tints.
  const std::string background = style_value("image_file");
  if (background.empty()) return true;
  std::string error;
  if (load_picture_sprite(_video_name_, "", background, object_name, scene_name, file_manager,
                          BaseUIObject::x_base, BaseUIObject::y_base, &error))
    return true;
  _set_error(error);
  return false;
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
  if (!setting.empty()) text = from_utf8(ui_get_setting(setting, _get_text_utf8()));
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
    text.push_back(static_cast<int32_t>(code));
    if (!setting.empty()) ui_set_setting(setting, _get_text_utf8());
  }
  return true;
}

bool TextEdit::_on_key_press_handler(int64_t key) {
  if (key == backspace_key && !text.empty()) {
    text.pop_back();
    if (!setting.empty()) ui_set_setting(setting, _get_text_utf8());
  }
  return true;
}

std::string TextEdit::_get_text_utf8() { return to_utf8(text); }

void TextEdit::draw() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) {
    _set_error("Can't get video interface:" + video_error());
    return;
  }
  calculate_position();
  Video_Sprite* field = video->_get_sprite(_object_name_, _scene_name_);
  if (field) {
    field->_set_coord(x, y);
    video->_draw_sprite(_object_name_, _scene_name_);
  }
  if (text.empty()) return;

  replacer = replace_text.empty() ? 0 : static_cast<int32_t>(static_cast<signed char>(replace_text[0]));
  std::vector<int> displayed = replace_text.empty() ? text : std::vector<int>(text.size(), replacer);

  Text_Renderer* renderer = textrenderer_get(renderer_type);
  if (!renderer) {
    _set_error("Can't get renderer:" + textrenderer_error());
    return;
  }
  const std::string text_sprite_name = _object_name_ + text_sprite_suffix;
  // Rendering is the costly part of a frame: only a changed text is rendered again.
  if (displayed != rendered) {
    if (!renderer->render_sprite(_video_name_, font, &displayed, color_from_rgba(color),
                                 font_size, text_sprite_name, _scene_name_, true)) {
      _set_error("Can't render text:" + renderer->get_error());
      return;
    }
    rendered = displayed;
  }
  Video_Sprite* text_sprite = video->_get_sprite(text_sprite_name, _scene_name_);
  if (!text_sprite) {
    rendered.clear();
    _set_error("Can't get sprite: " + video->_get_error());
    return;
  }
  text_sprite->_set_base_point(static_cast<double>(x_base), static_cast<double>(y_base));
  // On the field the text starts at its lower-left corner; without a field, at the position.
  if (field)
    text_sprite->_set_coord(field->_get_x() - field->_get_base_x(),
                            field->_get_y() - field->_get_base_y());
  else
    text_sprite->_set_coord(x, y);
  video->_draw_sprite(text_sprite_name, _scene_name_);
}
