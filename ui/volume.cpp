#include "panolet/volume.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "panolet/ui.h"
#include "voskar/object_from_data.h"

namespace {
const char* const SETTINGS[] = {"MasterVolume", "EffectsVolume", "MusicVolume"};
const char* const CHANNELS[] = {"master", "effects", "music"};

int percent_of(SOUND_CHANNEL channel) {
  const long value = std::strtol(ui_get_setting(SETTINGS[channel], "100").c_str(), nullptr, 10);
  return static_cast<int>(std::clamp(value, 0L, 100L));
}
}  // namespace

void ui_apply_sound_settings() {
  Sound_Interface* sound = sound_get_interface(SOUND_NAME);
  if (sound == nullptr) return;
  for (SOUND_CHANNEL channel : {SOUND_MASTER, SOUND_EFFECTS, SOUND_MUSIC})
    sound->_set_volume(channel, percent_of(channel) / 100.0f);
}

Volume::Volume()
    : slot_increase_(this, &Volume::slot_increase),
      slot_decrease_(this, &Volume::slot_decrease),
      slot_toggle_mute_(this, &Volume::slot_toggle_mute) {}

Volume::~Volume() = default;

bool Volume::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                  std::string scene_name, std::string object_name,
                  Brannow::FileManager* file_manager) {
  Config_Interface* config = after_base_load(
      Numeric::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager), this);
  if (!config) return false;
  const std::string name = config->get_value(storage_prefix + "Volume->channel", "effects");
  const auto* found = std::find(std::begin(CHANNELS), std::end(CHANNELS), name);
  if (found == std::end(CHANNELS))
    std::cerr << data_file() << ": " << storage_prefix << "Volume->channel: \"" << name
              << "\" is not \"master\", \"effects\" or \"music\"; the effects volume is shown"
              << std::endl;
  else
    channel = static_cast<SOUND_CHANNEL>(found - std::begin(CHANNELS));
  read_limited(config, "Volume->step", &step);
  read_limited(config, "Volume->mute_key", &mute_key);
  const std::string prefix = scene_name + "->" + object_name + "->";
  const std::pair<const char*, AbstractSlot*> slots[] = {
      {"increase", &slot_increase_}, {"decrease", &slot_decrease_},
      {"toggle_mute", &slot_toggle_mute_}};
  for (const auto& [slot, pointer] : slots) {
    _slot_map_.emplace_back(prefix + slot, pointer);
    register_slot(prefix + slot, pointer);
  }
  // A percentage needs no padding: "5", not "005".
  value_spec = "%01d";
  value_length = 3;
  change_value(percent_of(channel));
  return true;
}

bool Volume::slot__on_scene_reinit(SlotArgs* args) {
  change_value(percent_of(channel));
  return Numeric::slot__on_scene_reinit(args);
}

bool Volume::slot_increase(SlotArgs*) { return _on_change_handler(step); }
bool Volume::slot_decrease(SlotArgs*) { return _on_change_handler(-step); }

bool Volume::slot_toggle_mute(SlotArgs* args) {
  const bool other_key = mute_key != 0 && args && !args->int_params.empty() &&
                         args->int_params.front() != mute_key;
  return other_key ? false : _on_toggle_mute_handler();
}

bool Volume::_on_change_handler(int change) {
  const int percent = std::clamp(percent_of(channel) + change, 0, 100);
  ui_set_setting(SETTINGS[channel], std::to_string(percent));
  change_value(percent);
  ui_apply_sound_settings();
  return true;
}

bool Volume::_on_toggle_mute_handler() {
  if (Sound_Interface* sound = sound_get_interface(SOUND_NAME)) sound->_set_muted(!sound->_is_muted());
  return false;
}
