#include "panolet/baseuiobject.h"

#include <vector>

#include "chime/sound.h"
#include "log.h"
#include "panolet/ui.h"
#include "picture.h"
#include "scrivet/textrenderer.h"
#include "tarnvale/number_limits.h"
#include "voskar/object_from_data.h"
#include "voskar/text.h"

namespace {

// The one copier all widgets share while they load.
copyStyle style_copier;

}  // namespace

void copyStyle::operator()(std::string key, std::string value) {
  if (!target) return;
  const std::size_t at = key.find(prefix);
  if (at == std::string::npos) return;
  target->set_value(key.substr(at + prefix.size()), value, true);
}

BaseUIObject::BaseUIObject() : x_base(0.5f), y_base(0.5f), style_config(nullptr), pressed(false) {
  // The position is read before the first draw (a release, a hit test): start it defined.
  x = 0;
  y = 0;
}

BaseUIObject::~BaseUIObject() = default;

bool BaseUIObject::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                        std::string scene_name, std::string object_name,
                        Brannow::FileManager* file_manager) {
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix,
                                               scene_name, object_name, file_manager);
  if (!config) return false;
  style = config->get_value(storage_prefix + "BaseUIObject->style", "");
  read_limited(config, "BaseUIObject->x_base", &x_base);
  read_limited(config, "BaseUIObject->y_base", &y_base);
  return BaseUIObject::real_load(scene, storage_name, storage_prefix, scene_name, object_name,
                                 file_manager);
}

bool BaseUIObject::real_load(Scene*, std::string storage_name, std::string storage_prefix,
                             std::string scene_name, std::string object_name,
                             Brannow::FileManager* file_manager) {
  _internal_style_name_ = scene_name + object_name + "style";
  if (!config_create(_internal_style_name_, "libquorra", false)) {
    // A widget loaded again under the same names (a scene file repeating a name, two windows
    // of one name) finds its old style configuration: start it afresh instead of failing.
    Config_Interface* old = config_get_interface(_internal_style_name_);
    if (!old) {
      PANOLET_LOG("BaseUIObject::real_load",
                  "Error while trying to create config from libquorra: " + config_error());
      return false;
    }
    config_clear(*old);
  }
  style_config = config_get_interface(_internal_style_name_);
  if (!style_config) {
    PANOLET_LOG_NO_EOL("BaseUIObject::real_load", "Error with config");
    return false;
  }

  // Without a style name the prefix would be "->" and match every style of the set.
  const std::string set_name = ui_get_active_style_set();
  Config_Interface* style_set = config_get_interface(set_name);
  if (style_set && !style.empty()) {
    style_copier._set_target(style_config);
    style_copier._set_prefix(style + "->");
    style_set->for_each_containing(style_copier._get_prefix(), style_copier);
  }
  if (!style.empty()) {
    // Without its style the widget would fail later on a picture named ".png".
    const std::string where = data_file() + ": " + storage_prefix + "BaseUIObject->style \"" + style + "\"";
    const bool copied = !config_pairs(*style_config).empty();
    if (!style_set) {
      _set_error(where + ": the style set \"" + set_name + "\" is not loaded");
      return false;
    }
    if (!copied) {
      _set_error(where + " is not a style of the style set \"" + set_name + "\"");
      return false;
    }
  }
  Config_Interface* storage = config_get_interface(storage_name);
  if (storage) {
    style_copier._set_target(style_config);
    style_copier._set_prefix(storage_prefix + "style->");
    storage->for_each_containing(style_copier._get_prefix(), style_copier);
  }
  style_copier._set_target(nullptr);
  hover_sound = style_sound("hover_sound", file_manager);
  click_sound = style_sound("click_sound", file_manager);

  SignalConnection release;
  release.signal_name = _video_name_ + "->mouse_release";
  release.slot_name = scene_name + "->" + object_name + "->_on_mouse_release";
  release.on_load = false;
  _signal_connections_.push_back(release);
  return true;
}

Config_Interface* BaseUIObject::load_base(Scene* scene, std::string storage_name,
                                          std::string storage_prefix, std::string scene_name,
                                          std::string object_name,
                                          Brannow::FileManager* file_manager) {
  return after_base_load(
      BaseUIObject::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager),
      this);
}

void BaseUIObject::read_text_style(const std::string& key_prefix, std::string* font,
                                   uint32_t* color, int32_t* size, std::string* renderer) {
  *font = style_value(key_prefix + "font");
  *color = static_cast<uint32_t>(style_number(key_prefix, "font_color"));
  *size = static_cast<int32_t>(style_number(key_prefix, "font_size"));
  *renderer = style_value(key_prefix + "renderer_type");
}

double BaseUIObject::style_number(const std::string& key_prefix, std::string_view key) {
  const std::string name = key_prefix + std::string(key);
  const tarnvale::NumberLimit* limit = tarnvale::find_number_limit(key);
  if (limit == nullptr) {
    tarnvale::report_data_problem(tarnvale::Severity::error, data_file(), name,
                                  data_file() + ": style key " + name + " has no known limits");
    return 0;
  }
  if (style_config == nullptr) return tarnvale::number_default(*limit);
  double value = 0;
  tarnvale::read_number_written_at(style_config, name, *limit, [&] {
    // Where it was written: the widget's own style keys, else its style in the set.
    tarnvale::WrittenAt at{data_file(), _storage_prefix_ + "style->" + name};
    Config_Interface* own = config_get_interface(_storage_name_);
    Config_Interface* set = config_get_interface(ui_get_active_style_set());
    if ((own == nullptr || own->_get_origin(at.key_path).line == 0) && set != nullptr) {
      at.key_path = style + "->" + name;
      at.file = set->_get_origin(at.key_path).file;
    }
    return at;
  }, &value);
  return value;
}

std::string BaseUIObject::style_value(const std::string& key) {
  return style_config ? style_config->get_value(key, "") : std::string();
}

bool BaseUIObject::slot__on_mouse_release(SlotArgs*) { return false; }

void BaseUIObject::connect_signals(bool keep_on_load) {
  SceneObject::connect_signals(keep_on_load);
  if (!keep_on_load) pressed = true;
}

bool BaseUIObject::take_click(SlotArgs* args) {
  const bool was_pressed = pressed;
  pressed = false;
  return was_pressed && args && args->float_params.size() >= 2 &&
         _is_point_in_object(args->float_params[0], args->float_params[1]);
}

bool BaseUIObject::render_label(Video_Interface* video, Text_Renderer* renderer,
                                const std::string& label, const std::string& label_font,
                                uint32_t color, int size) {
  if (!renderer->render_text(_video_name_, label_font, label, color_from_rgba(color), size,
                             _object_name_, _scene_name_, true)) {
    _set_error("Can't render text:" + renderer->get_error());
    return false;
  }
  if (!video->_create_sprite(_object_name_, _scene_name_, _object_name_, _scene_name_, true)) {
    _set_error("Can't create sprite: " + video->_get_error());
    return false;
  }
  Video_Sprite* sprite = video->_get_sprite(_object_name_, _scene_name_);
  if (!sprite) {
    _set_error("Can't get sprite: " + video->_get_error());
    return false;
  }
  sprite->_set_base_point(static_cast<double>(x_base), static_cast<double>(y_base));
  calculate_position();
  place_on_pixel_grid(video, sprite, x, y);
  return true;
}

std::shared_ptr<const Sound_Samples> BaseUIObject::style_sound(const char* key,
                                                               Brannow::FileManager* files) {
  const std::string file = style_value(key);
  // Decoded once the game has sound, whether or not its driver has started yet.
  if (file.empty() || !soundloader_any()) return nullptr;
  std::shared_ptr<const Sound_Samples> sound = soundloader_decode(file, files);
  // The widget works without its sound.
  if (!sound)
    PANOLET_LOG(key, data_file() + ": " + _storage_prefix_ + "style " + key + ": " + sound_error());
  return sound;
}

void BaseUIObject::play_sound(const std::shared_ptr<const Sound_Samples>& sound) {
  Sound_Interface* driver = sound_get_interface(SOUND_NAME);
  if (sound && driver) driver->_play(sound, 1.0f, 1.0f, false);
}
