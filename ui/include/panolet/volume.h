#pragma once
// A sound volume in per cent, shown as a number and changed through the slots
// scene name + "->" + object name + "->increase" and "->decrease" (by the step, within 0 to 100);
// "->toggle_mute" mutes and unmutes all sound (with a mute key, only for keyboard signals of
// that key). The value is the UI setting "MasterVolume", "EffectsVolume" or "MusicVolume" of its
// channel, so every scene shows the same value and the saved settings can keep it.

#include <cstdint>
#include <string>

#include "chime/sound.h"
#include "panolet/numeric.h"

// Hands the three volume settings to the sound driver (none: nothing happens).
void ui_apply_sound_settings();

class Volume : public Numeric {
public:
  Volume();
  Volume(const Volume&) = delete;
  Volume& operator=(const Volume&) = delete;
  ~Volume() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  // Shows the setting, which another scene may have changed.
  bool slot__on_scene_reinit(SlotArgs* args) override;

  virtual bool slot_increase(SlotArgs* args);
  virtual bool slot_decrease(SlotArgs* args);
  virtual bool slot_toggle_mute(SlotArgs* args);

  // Changes the volume by `change` per cent points, kept within 0 and 100.
  bool _on_change_handler(int change);
  bool _on_toggle_mute_handler();

  SOUND_CHANNEL _get_channel() { return channel; }

private:
  SOUND_CHANNEL channel = SOUND_EFFECTS;
  int32_t step = 10;
  int64_t mute_key = 0;

  Slot<Volume> slot_increase_;
  Slot<Volume> slot_decrease_;
  Slot<Volume> slot_toggle_mute_;
};
