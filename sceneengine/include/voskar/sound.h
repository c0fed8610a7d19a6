#pragma once
// An invisible object that plays a sound file through the sound driver "Sound" when a signal
// wired to its slots arrives: scene name + "->" + object name + "->play", "->stop", "->set_pitch",
// "->pause" and "->resume". On the effects channel the file is decoded once at load and may play
// many times at once; on the music channel it is streamed, and one music plays at a time. With
// no sound driver, or a file that cannot be read (reported at load), it stays silent.

#include <cstdint>
#include <memory>
#include <string>

#include "brannow/brannow.h"
#include "twinkel/signals.h"
#include "voskar/sceneobject.h"

struct Sound_Samples;

class Sound : public virtual SceneObject {
public:
  Sound();
  Sound(const Sound&) = delete;
  Sound& operator=(const Sound&) = delete;
  ~Sound() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  // With play_on_enter, entering the scene plays the sound (its reinit, or the first frame drawn
  // of a scene entered without one).
  void draw() override;
  bool slot__on_scene_reinit(SlotArgs* args) override;

  // Plays at the pitch, raised by pitch_step semitones for each unit of the signal's first
  // whole number when there is one. Always false, so other slots of the signal run too.
  virtual bool slot_play(SlotArgs* args);
  virtual bool slot_stop(SlotArgs* args);
  // The signal's first real number, else its first whole number, becomes the pitch.
  virtual bool slot_set_pitch(SlotArgs* args);
  virtual bool slot_pause(SlotArgs* args);
  virtual bool slot_resume(SlotArgs* args);

  bool _on_play_handler(const int64_t* step_count);
  bool _on_stop_handler();
  bool _on_set_pitch_handler(float pitch);

  std::string _get_file() { return file; }
  float _get_volume() { return volume; }
  float _get_pitch() { return pitch; }
  bool _get_loop() { return loop; }
  bool _is_music() { return music; }

private:
  std::string file;
  float volume = 1, pitch = 1, pitch_step = 0;
  bool loop = false, music = false, play_on_enter = false;
  bool entered = false;
  Brannow::FileManager* files = nullptr;
  std::shared_ptr<const Sound_Samples> samples;  // effects only
  unsigned voice = 0;                            // the effect last started

  Slot<Sound> slot_play_;
  Slot<Sound> slot_stop_;
  Slot<Sound> slot_set_pitch_;
  Slot<Sound> slot_pause_;
  Slot<Sound> slot_resume_;
};
