#include "panolet/numeric.h"

#include <cstdio>
#include <cstdlib>

#include "scrivet/textrenderer.h"

Numeric::Numeric()
    : font_color(0), font_size(0), start_value(0), value_length(1), value(0), value_spec("%01d"),
      is_value_changed(false), render_count(0),
      slot_increment(this, &Numeric::slot_increment_value),
      slot_decrement(this, &Numeric::slot_decrement_value),
      slot_add(this, &Numeric::slot_add_value), slot_sub(this, &Numeric::slot_sub_value),
      slot_set(this, &Numeric::slot_set_value) {}

// The copy's slots call the copy.
Numeric::Numeric(const Numeric& other)
    : SceneObject(other), BaseUIObject(other), renderer_type(other.renderer_type),
      font(other.font), font_color(other.font_color), font_size(other.font_size),
      text(other.text), start_value(other.start_value), value_length(other.value_length),
      value(other.value), value_spec(other.value_spec),
      is_value_changed(other.is_value_changed), render_count(other.render_count),
      slot_increment(this, &Numeric::slot_increment_value),
      slot_decrement(this, &Numeric::slot_decrement_value),
      slot_add(this, &Numeric::slot_add_value), slot_sub(this, &Numeric::slot_sub_value),
      slot_set(this, &Numeric::slot_set_value) {
  repoint_slots(other);
}

void Numeric::repoint_slots(const Numeric& other) {
  repoint_slot(&other.slot_increment, &slot_increment);
  repoint_slot(&other.slot_decrement, &slot_decrement);
  repoint_slot(&other.slot_add, &slot_add);
  repoint_slot(&other.slot_sub, &slot_sub);
  repoint_slot(&other.slot_set, &slot_set);
}

Numeric& Numeric::operator=(const Numeric& other) {
  if (this == &other) return *this;
  BaseUIObject::operator=(other);
  repoint_slots(other);
  renderer_type = other.renderer_type;
  font = other.font;
  font_color = other.font_color;
  font_size = other.font_size;
  text = other.text;
  start_value = other.start_value;
  value_length = other.value_length;
  value = other.value;
  value_spec = other.value_spec;
  is_value_changed = other.is_value_changed;
  render_count = other.render_count;
  return *this;
}

Numeric::~Numeric() = default;

bool Numeric::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                   std::string scene_name, std::string object_name,
                   Brannow::FileManager* file_manager) {
  Config_Interface* config =
      load_base(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  read_limited(config, "Numeric->start_value", &start_value);
  read_limited(config, "Numeric->value_length", &value_length);
  read_limited(config, "Numeric->value", &value);

  const std::string prefix = scene_name + "->" + object_name + "->";
  const std::pair<const char*, AbstractSlot*> slots[] = {
      {"increment_value", &slot_increment}, {"decrement_value", &slot_decrement},
      {"add_value", &slot_add},             {"sub_value", &slot_sub},
      {"set_value", &slot_set}};
  for (const auto& [name, slot] : slots) {
    _slot_map_.emplace_back(prefix + name, slot);
    register_slot(prefix + name, slot);
  }

  read_text_style("", &font, &font_color, &font_size, &renderer_type);
  return Numeric::real_load(scene, storage_name, storage_prefix, scene_name, object_name,
                            file_manager);
}

bool Numeric::real_load(Scene*, std::string, std::string, std::string, std::string,
                        Brannow::FileManager*) {
  char format[16];
  std::snprintf(format, sizeof format, "%%0%dd", value_length);
  value_spec = std::string(format).substr(0, 9);
  value = start_value;
  is_value_changed = true;
  return true;
}

void Numeric::change_value(int32_t new_value) {
  value = new_value;
  is_value_changed = true;
}

// Arithmetic wraps at 32 bits.
static int32_t wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }

bool Numeric::increment_value_handler() {
  change_value(wrap(static_cast<int64_t>(value) + 1));
  return false;
}
bool Numeric::decrement_value_handler() {
  change_value(wrap(static_cast<int64_t>(value) - 1));
  return false;
}
bool Numeric::add_value_handler(int64_t amount) {
  change_value(wrap(static_cast<int64_t>(value) + wrap(amount)));
  return false;
}
bool Numeric::sub_value_handler(int64_t amount) {
  change_value(wrap(static_cast<int64_t>(value) - wrap(amount)));
  return false;
}
bool Numeric::set_value_handler(int64_t new_value) {
  change_value(wrap(new_value));
  return false;
}

bool Numeric::slot_increment_value(SlotArgs*) { return increment_value_handler(); }
bool Numeric::slot_decrement_value(SlotArgs*) { return decrement_value_handler(); }
// Without an integer the pack changes nothing and is consumed.
bool Numeric::slot_add_value(SlotArgs* args) {
  return !args || args->int_params.empty() || add_value_handler(args->int_params[0]);
}
bool Numeric::slot_sub_value(SlotArgs* args) {
  return !args || args->int_params.empty() || sub_value_handler(args->int_params[0]);
}
bool Numeric::slot_set_value(SlotArgs* args) {
  return !args || args->int_params.empty() || set_value_handler(args->int_params[0]);
}

// value_spec can be set from outside: only the one shape of format it is built in is used.
static bool is_padded_decimal_format(const std::string& format) {
  if (format.size() < 3 || format.compare(0, 2, "%0") != 0 || format.back() != 'd') return false;
  std::size_t i = 2;
  if (format[i] == '-') ++i;
  for (; i + 1 < format.size(); ++i)
    if (format[i] < '0' || format[i] > '9') return false;
  return true;
}

std::string Numeric::format_value() {
  char formatted[64];
  std::snprintf(formatted, sizeof formatted,
                is_padded_decimal_format(value_spec) ? value_spec.c_str() : "%d", value);
  const std::size_t length = value_length > 0 ? static_cast<std::size_t>(value_length) : 0;
  return std::string(formatted).substr(0, length);
}

void Numeric::draw() {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) {
    _set_error("Can't get video interface:" + video_error());
    return;
  }
  if (is_value_changed) {
    text = format_value();
    Text_Renderer* renderer = textrenderer_get(renderer_type);
    if (!renderer) {
      _set_error("Can't get renderer of type \"" + renderer_type + "\" :" + textrenderer_error());
      return;
    }
    if (!render_label(video, renderer, text, font, font_color, font_size)) return;
    is_value_changed = false;
    ++render_count;
  }
  video->_draw_sprite(_object_name_, _scene_name_);
}
