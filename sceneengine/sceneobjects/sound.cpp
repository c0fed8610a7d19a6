#include "voskar/sound.h"

#include <cmath>

#include "chime/sound.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/number_limits.h"
#include "voskar/object_from_data.h"

namespace {
// The music file playing, so that scenes sharing a music do not start it again.
std::string& playing_music() {
  static std::string file;
  return file;
}

Sound_Interface* driver() { return sound_get_interface(SOUND_NAME); }
}  // namespace

Sound::Sound()
    : slot_play_(this, &Sound::slot_play),
      slot_stop_(this, &Sound::slot_stop),
      slot_set_pitch_(this, &Sound::slot_set_pitch),
      slot_pause_(this, &Sound::slot_pause),
      slot_resume_(this, &Sound::slot_resume) {}

Sound::~Sound() = default;

bool Sound::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager) {
  const std::string object_path = scene_name + "->" + object_name + "->";
  _slot_map_.emplace_back(object_path + "play", &slot_play_);
  _slot_map_.emplace_back(object_path + "stop", &slot_stop_);
  _slot_map_.emplace_back(object_path + "set_pitch", &slot_set_pitch_);
  _slot_map_.emplace_back(object_path + "pause", &slot_pause_);
  _slot_map_.emplace_back(object_path + "resume", &slot_resume_);
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix, scene_name,
                                       object_name, file_manager);
  if (config == nullptr) return false;
  auto value = [&](const char* key, const char* fallback) {
    return config->get_value(storage_prefix + key, fallback);
  };
  file = value("Sound->file", "");
  loop = tarnvale::read_flag(config, storage_prefix, "Sound->loop");
  play_on_enter = tarnvale::read_flag(config, storage_prefix, "Sound->play_on_enter");
  const std::string channel = value("Sound->channel", "effects");
  if (channel != "effects" && channel != "music")
    tarnvale::report_data_problem(tarnvale::Severity::warning, data_file(), storage_prefix + "Sound->channel",
                                  data_file() + ": " + storage_prefix + "Sound->channel: \"" + channel +
                                      "\" is neither \"effects\" nor \"music\"; the sound plays as an effect");
  music = channel == "music";
  read_limited(config, "Sound->volume", &volume);
  read_limited(config, "Sound->pitch", &pitch);
  read_limited(config, "Sound->pitch_step", &pitch_step);
  files = file_manager;
  if (file.empty()) return true;
  // A sound that cannot be read leaves the scene playing without it.
  if (music) {
    std::unique_ptr<Sound_Stream> probe(soundloader_open(file, files));
    if (!probe) file.clear();
  } else {
    samples = soundloader_decode(file, files);
    if (!samples) file.clear();
  }
  if (file.empty())
    tarnvale::report_data_problem(tarnvale::Severity::error, data_file(), storage_prefix + "Sound->file",
                                  data_file() + ": " + storage_prefix + "Sound->file: " + sound_error());
  return true;
}

bool Sound::slot__on_scene_reinit(SlotArgs* args) {
  SceneObject::slot__on_scene_reinit(args);
  entered = true;
  if (play_on_enter) _on_play_handler(nullptr);
  return false;
}

// The run loop's first scene is entered without a reinit: its first frame with a sound driver
// plays instead (the driver starts once the first frame is shown).
void Sound::draw() {
  if (entered || !play_on_enter || driver() == nullptr) return;
  entered = true;
  _on_play_handler(nullptr);
}

bool Sound::slot_play(SlotArgs* args) {
  const bool counted = args && !args->int_params.empty();
  return _on_play_handler(counted ? &args->int_params.front() : nullptr);
}

bool Sound::slot_stop(SlotArgs*) { return _on_stop_handler(); }

bool Sound::slot_set_pitch(SlotArgs* args) {
  if (args && !args->float_params.empty()) return _on_set_pitch_handler(args->float_params.front());
  if (args && !args->int_params.empty())
    return _on_set_pitch_handler(static_cast<float>(args->int_params.front()));
  return false;
}

bool Sound::slot_pause(SlotArgs*) {
  if (Sound_Interface* sound = driver(); sound && music && playing_music() == file)
    sound->_pause_music(true);
  return false;
}

bool Sound::slot_resume(SlotArgs*) {
  if (Sound_Interface* sound = driver(); sound && music && playing_music() == file)
    sound->_pause_music(false);
  return false;
}

bool Sound::_on_play_handler(const int64_t* step_count) {
  Sound_Interface* sound = driver();
  if (sound == nullptr || file.empty()) return false;
  if (music) {
    if (playing_music() == file) {
      sound->_pause_music(false);
      return false;
    }
    if (Sound_Stream* stream = soundloader_open(file, files)) {
      sound->_play_music(stream, volume, loop);
      playing_music() = file;
    }
    return false;
  }
  float played = pitch;
  if (step_count && pitch_step != 0)
    played *= static_cast<float>(std::exp2(pitch_step * static_cast<double>(*step_count) / 12.0));
  voice = sound->_play(samples, volume, played, loop);
  return false;
}

bool Sound::_on_stop_handler() {
  Sound_Interface* sound = driver();
  if (sound == nullptr) return false;
  if (!music) {
    sound->_stop(voice);
  } else if (playing_music() == file) {
    sound->_stop_music();
    playing_music().clear();
  }
  return false;
}

bool Sound::_on_set_pitch_handler(float new_pitch) {
  if (!std::isfinite(new_pitch)) return false;
  pitch = new_pitch < 0.25f ? 0.25f : (new_pitch > 4.0f ? 4.0f : new_pitch);
  if (Sound_Interface* sound = driver(); sound && !music) sound->_set_pitch(voice, pitch);
  return false;
}
