#include "voskar/text.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "scrivet/textrenderer.h"
#include "tarnvale/source_name.h"
#include "voskar/object_from_data.h"

void place_on_pixel_grid(Video_Interface* video, Video_Sprite* sprite, double x, double y) {
  // The grid starts at the window's left and bottom edges, -1 in both directions.
  auto snap = [](double edge, double pixel) { return std::round((edge + 1) / pixel) * pixel - 1; };
  const double pixel_x = 2.0 / std::max<short>(1, video->_get_width());
  const double pixel_y = 2.0 / std::max<short>(1, video->_get_height());
  sprite->_set_coord(snap(x - sprite->_get_base_x(), pixel_x) + sprite->_get_base_x(),
                     snap(y - sprite->_get_base_y(), pixel_y) + sprite->_get_base_y());
}

Text::Text()
    : slot_set_text(this, &Text::slot__on_set_text), font_size(14), color(0xffffffffu), x_base(0.5f),
      y_base(0.5f), _sprite_(nullptr) {}

Text::Text(const Text& other)
    : SceneObject(other),
      slot_set_text(this, &Text::slot__on_set_text),
      text(other.text),
      renderer_type(other.renderer_type),
      font(other.font),
      font_size(other.font_size),
      color(other.color),
      x_base(other.x_base),
      y_base(other.y_base),
      _sprite_(other._sprite_) {
  for (auto& entry : _slot_map_)
    if (entry.second == &other.slot_set_text) entry.second = &slot_set_text;
}

Text& Text::operator=(const Text& other) {
  if (this == &other) return *this;
  SceneObject::operator=(other);
  text = other.text;
  renderer_type = other.renderer_type;
  font = other.font;
  font_size = other.font_size;
  color = other.color;
  x_base = other.x_base;
  y_base = other.y_base;
  _sprite_ = other._sprite_;
  for (auto& entry : _slot_map_)
    if (entry.second == &other.slot_set_text) entry.second = &slot_set_text;
  return *this;
}

Text::~Text() = default;

bool Text::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                std::string scene_name, std::string object_name,
                Brannow::FileManager* file_manager) {
  // In the slot map before the base load registers it, as the timer's new-cycle slot.
  _slot_map_.emplace_back(scene_name + "->" + object_name + "->set_text", &slot_set_text);
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix, scene_name,
                                       object_name, file_manager);
  if (config == nullptr) return false;
  auto value = [&](const char* key, const char* default_value) {
    return config->get_value(storage_prefix + key, default_value);
  };
  text = value("Text->text", "");
  renderer_type = value("Text->renderer_type", "ttf");
  font = value("Text->font", "");
  read_limited(config, "Text->font_size", &font_size);
  read_limited(config, "Text->color", &color);
  read_limited(config, "Text->x_base", &x_base);
  read_limited(config, "Text->y_base", &y_base);
  return real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool Text::real_load(Scene*, std::string, std::string, std::string, std::string,
                     Brannow::FileManager*) {
  const std::string here = TARNVALE_FILE;
  VideoColor video_color;
  video_color.set_color(static_cast<int>(color >> 24), static_cast<int>((color >> 16) & 0xff),
                        static_cast<int>((color >> 8) & 0xff), static_cast<int>(color & 0xff));
  Video_Interface* video = video_get_interface(_video_name_);
  if (video == nullptr) {
    _error_ = here + ": Can't get video interface:" + video_error();
    return false;
  }
  Text_Renderer* renderer = textrenderer_get(renderer_type);
  if (renderer == nullptr) {
    _error_ = here + ": Can't get renderer:" + textrenderer_error();
    return false;
  }
  if (!renderer->render_text(_video_name_, font, text, video_color, font_size, _object_name_,
                             _scene_name_, true)) {
    _error_ = here + ": Can't render text:" + renderer->get_error();
    return false;
  }
  if (!video->_create_sprite(_object_name_, _scene_name_, _object_name_, _scene_name_, true)) {
    _error_ = here + ": Can't create sprite: " + video->_get_error();
    return false;
  }
  _sprite_ = video->_get_sprite(_object_name_, _scene_name_);
  if (_sprite_ == nullptr) {
    _error_ = here + ": Can't get sprite: " + video->_get_error();
    return false;
  }
  _sprite_->_set_base_point(static_cast<double>(x_base), static_cast<double>(y_base));
  return true;
}

bool Text::slot__on_set_text(SlotArgs* args) {
  if (!args || args->string_params.empty()) return false;
  text = args->string_params[0];
  if (!text.empty()) {
    real_load(scene, _storage_name_, _storage_prefix_, _scene_name_, _object_name_, nullptr);
    return false;
  }
  // Nothing to render: without its sprite the text is not drawn.
  if (Video_Interface* video = video_get_interface(_video_name_)) video->_remove_sprite(_object_name_, _scene_name_);
  _sprite_ = nullptr;
  return false;
}

// The sprite is looked up every frame, so a text whose sprite was removed is simply not drawn.
void Text::draw() {
  if (!show) return;
  Video_Interface* video = video_get_interface(_video_name_);
  if (video == nullptr) return;
  Video_Sprite* sprite = video->_find_sprite(_object_name_, _scene_name_);
  if (sprite == nullptr) return;
  calculate_position();
  place_on_pixel_grid(video, sprite, x, y);
  video->_draw_sprite(sprite);
}
