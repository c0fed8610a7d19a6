#pragma once
// The OpenAL sound driver: a pool of voices for effects and one streamed music source. A worker
// thread refills the music's buffers, frees finished voices and watches the device, so that the
// frame only hands over commands and never waits for the device or the decoder.

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "chime/sound.h"

class OpenAL_Sound : public Sound_Interface {
public:
  // Reads prefix + "Device" (the device's name; empty: the system's default) and prefix +
  // "Voices" (effects at once, 1 to 255) from the configuration.
  OpenAL_Sound(const std::string& config_name, const std::string& prefix);
  ~OpenAL_Sound() override;

  bool _init() override;
  unsigned _play(std::shared_ptr<const Sound_Samples> sound, float volume, float pitch,
                 bool loop) override;
  void _stop(unsigned voice) override;
  void _set_pitch(unsigned voice, float pitch) override;
  void _play_music(Sound_Stream* stream, float volume, bool loop) override;
  void _stop_music() override;
  void _pause_music(bool paused) override;
  void _set_volume(SOUND_CHANNEL channel, float volume) override;
  float _get_volume(SOUND_CHANNEL channel) override;
  void _set_muted(bool muted) override;
  bool _is_muted() override;
  std::string _get_error() override;

  // The worker's round, also called by the benchmark: refills, frees, watches the device.
  void service();

private:
  struct Voice {
    ALuint source = 0;
    unsigned generation = 0;
    float volume = 1;
    std::shared_ptr<const Sound_Samples> sound;  // kept while it plays
    unsigned long started = 0;                   // order of starting, to find the oldest
  };
  struct Buffer {
    std::weak_ptr<const Sound_Samples> sound;
    ALuint name = 0;
  };
  static constexpr int MUSIC_BUFFERS = 4;

  bool live() const { return context_ != nullptr && !lost_; }
  Voice* voice_of(unsigned handle);
  ALuint buffer_for(const std::shared_ptr<const Sound_Samples>& sound);
  void apply_gains();
  // Decodes the music's next piece into the buffer; false at the end of a stream not looping.
  bool fill(ALuint buffer);
  void start_music();
  void refill_music();
  void free_finished();
  void check_device();
  void run();

  std::string device_name_;
  int voice_count_ = 32;
  std::string error_;

  ALCdevice* device_ = nullptr;
  ALCcontext* context_ = nullptr;
  bool lost_ = false;
  bool can_tell_lost_ = false;
  std::vector<Voice> voices_;
  std::map<const Sound_Samples*, Buffer> buffers_;
  unsigned long started_ = 0;

  float volumes_[3] = {1, 1, 1};
  bool muted_ = false;

  ALuint music_source_ = 0;
  ALuint music_buffers_[MUSIC_BUFFERS] = {};
  std::unique_ptr<Sound_Stream> music_;
  std::vector<int16_t> music_piece_;
  float music_volume_ = 1;
  bool music_loop_ = false;
  bool music_paused_ = false;
  bool music_ended_ = false;

  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  std::thread worker_;
};
