#include "openal_sound.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <dlfcn.h>
#include <iostream>

#include "carrow/config.h"
#include "tarnvale/number_limits.h"

namespace {
// How often the worker looks at the device: the music has four pieces of 0.1 s queued ahead, so
// it can miss a round or two on a busy machine without a gap.
const auto SERVICE_PERIOD = std::chrono::milliseconds(25);
// Each music buffer holds this many seconds; all of them together are the music's lead.
const double MUSIC_PIECE_SECONDS = 0.1;

float clamp_volume(float volume) { return std::isfinite(volume) ? std::clamp(volume, 0.0f, 1.0f) : 1.0f; }
float clamp_pitch(float pitch) { return std::isfinite(pitch) ? std::clamp(pitch, 0.25f, 4.0f) : 1.0f; }

ALenum format_of(int channels) { return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16; }

// libasound's handler type, spelled out so that the driver needs no ALSA headers.
using Alsa_Error_Handler = void (*)(const char* file, int line, const char* function, int error,
                                    const char* format, ...);
void ignore_alsa_error(const char*, int, const char*, int, const char*, ...) {}

// On a machine without a sound card ALSA prints its own lines ("ALSA lib ... cannot find card")
// while OpenAL Soft probes it. The handler is set in the one libasound of the process, whether
// OpenAL Soft links it or loads it later, and kept loaded, as this plug-in is, so that the
// handler holds to the end.
void quiet_alsa() {
  static void* const alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
  if (alsa == nullptr) return;
  using Set_Handler = int (*)(Alsa_Error_Handler);
  if (auto set = reinterpret_cast<Set_Handler>(dlsym(alsa, "snd_lib_error_set_handler")))
    set(ignore_alsa_error);
}
}  // namespace

OpenAL_Sound::OpenAL_Sound(const std::string& config_name, const std::string& prefix) {
  // OpenAL Soft and ALSA write their own error lines (a missing device among them): the game
  // says in one line what it means for the player. A user who sets ALSOFT_LOGLEVEL to see OpenAL
  // Soft's lines sees ALSA's too.
  const char* log_level = std::getenv("ALSOFT_LOGLEVEL");
  if (log_level == nullptr || std::atoi(log_level) == 0) {
    setenv("ALSOFT_LOGLEVEL", "0", 1);
    quiet_alsa();
  }
  if (Config_Interface* config = config_get_interface(config_name)) {
    device_name_ = config->get_value(prefix + "Device", "");
    // The number is checked against the table's "Sound" section whatever the prefix.
    const std::string key = prefix + "Voices";
    const std::string file = config->_get_origin(key).file;
    double voices = 0;
    tarnvale::read_number(config, key, *tarnvale::find_number_limit("Sound->Voices"),
                          file.empty() ? config_name : file, &voices);
    voice_count_ = static_cast<int>(voices);
  }
}

OpenAL_Sound::~OpenAL_Sound() {
  if (worker_.joinable()) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    worker_.join();
  }
  if (context_ == nullptr) return;
  for (Voice& voice : voices_) {
    alSourceStop(voice.source);
    alDeleteSources(1, &voice.source);
  }
  alSourceStop(music_source_);
  alDeleteSources(1, &music_source_);
  alDeleteBuffers(MUSIC_BUFFERS, music_buffers_);
  for (auto& entry : buffers_) alDeleteBuffers(1, &entry.second.name);
  alcMakeContextCurrent(nullptr);
  alcDestroyContext(context_);
  alcCloseDevice(device_);
}

bool OpenAL_Sound::_init() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (context_ != nullptr) return true;
  device_ = alcOpenDevice(device_name_.empty() ? nullptr : device_name_.c_str());
  if (device_ == nullptr) {
    error_ = device_name_.empty() ? "no sound device can be opened"
                                  : "the sound device \"" + device_name_ + "\" cannot be opened";
    return false;
  }
  context_ = alcCreateContext(device_, nullptr);
  if (context_ == nullptr || !alcMakeContextCurrent(context_)) {
    error_ = "the sound device gives no context";
    if (context_) alcDestroyContext(context_);
    context_ = nullptr;
    alcCloseDevice(device_);
    device_ = nullptr;
    return false;
  }
  can_tell_lost_ = alcIsExtensionPresent(device_, "ALC_EXT_disconnect") == ALC_TRUE;
  voices_.resize(static_cast<std::size_t>(voice_count_));
  for (Voice& voice : voices_) alGenSources(1, &voice.source);
  alGenSources(1, &music_source_);
  alGenBuffers(MUSIC_BUFFERS, music_buffers_);
  // The music plays as it is, not placed in space.
  alSourcei(music_source_, AL_SOURCE_RELATIVE, AL_TRUE);
  if (alGetError() != AL_NO_ERROR) {
    error_ = "the sound device has too few voices";
    return false;
  }
  for (Voice& voice : voices_) alSourcei(voice.source, AL_SOURCE_RELATIVE, AL_TRUE);
  apply_gains();
  worker_ = std::thread(&OpenAL_Sound::run, this);
  return true;
}

OpenAL_Sound::Voice* OpenAL_Sound::voice_of(unsigned handle) {
  const unsigned index = handle % 256;
  if (index == 0 || index > voices_.size()) return nullptr;
  Voice& voice = voices_[index - 1];
  return voice.generation == handle / 256 ? &voice : nullptr;
}

ALuint OpenAL_Sound::buffer_for(const std::shared_ptr<const Sound_Samples>& sound) {
  Buffer& buffer = buffers_[sound.get()];
  // A new sound at the address of one that has gone takes over its buffer, refilled.
  if (buffer.name != 0 && !buffer.sound.expired()) return buffer.name;
  if (buffer.name == 0) alGenBuffers(1, &buffer.name);
  buffer.sound = sound;
  alBufferData(buffer.name, format_of(sound->channels), sound->samples.data(),
               static_cast<ALsizei>(sound->samples.size() * sizeof(int16_t)), sound->rate);
  return buffer.name;
}

unsigned OpenAL_Sound::_play(std::shared_ptr<const Sound_Samples> sound, float volume,
                             float pitch, bool loop) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!live() || !sound || sound->samples.empty()) return 0;
  // A free voice, else the oldest effect that does not loop gives way.
  Voice* chosen = nullptr;
  for (Voice& voice : voices_) {
    ALint state = AL_STOPPED;
    alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
    if (state != AL_PLAYING) {
      chosen = &voice;
      break;
    }
    ALint looping = AL_FALSE;
    alGetSourcei(voice.source, AL_LOOPING, &looping);
    if (!looping && (chosen == nullptr || voice.started < chosen->started)) chosen = &voice;
  }
  if (chosen == nullptr) return 0;
  alSourceStop(chosen->source);
  alSourcei(chosen->source, AL_BUFFER, static_cast<ALint>(buffer_for(sound)));
  alSourcei(chosen->source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
  alSourcef(chosen->source, AL_PITCH, clamp_pitch(pitch));
  chosen->volume = clamp_volume(volume);
  alSourcef(chosen->source, AL_GAIN, chosen->volume * volumes_[SOUND_EFFECTS]);
  alSourcePlay(chosen->source);
  chosen->sound = std::move(sound);
  chosen->started = ++started_;
  chosen->generation = (chosen->generation + 1) % (1u << 23);
  return chosen->generation * 256 + static_cast<unsigned>(chosen - voices_.data()) + 1;
}

void OpenAL_Sound::_stop(unsigned handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* voice = live() ? voice_of(handle) : nullptr) alSourceStop(voice->source);
}

void OpenAL_Sound::_set_pitch(unsigned handle, float pitch) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (Voice* voice = live() ? voice_of(handle) : nullptr)
    alSourcef(voice->source, AL_PITCH, clamp_pitch(pitch));
}

void OpenAL_Sound::_play_music(Sound_Stream* stream, float volume, bool loop) {
  std::unique_ptr<Sound_Stream> owned(stream);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!live() || !owned) return;
  music_ = std::move(owned);
  music_volume_ = clamp_volume(volume);
  music_loop_ = loop;
  music_paused_ = false;
  start_music();
}

void OpenAL_Sound::_stop_music() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!live()) return;
  alSourceStop(music_source_);
  alSourcei(music_source_, AL_BUFFER, 0);
  music_.reset();
}

void OpenAL_Sound::_pause_music(bool paused) {
  std::lock_guard<std::mutex> lock(mutex_);
  music_paused_ = paused;
  if (!live() || !music_) return;
  if (paused)
    alSourcePause(music_source_);
  else
    alSourcePlay(music_source_);
}

void OpenAL_Sound::_set_volume(SOUND_CHANNEL channel, float volume) {
  if (channel < SOUND_MASTER || channel > SOUND_MUSIC) return;
  std::lock_guard<std::mutex> lock(mutex_);
  volumes_[channel] = clamp_volume(volume);
  if (live()) apply_gains();
}

float OpenAL_Sound::_get_volume(SOUND_CHANNEL channel) {
  std::lock_guard<std::mutex> lock(mutex_);
  return channel >= SOUND_MASTER && channel <= SOUND_MUSIC ? volumes_[channel] : 0.0f;
}

void OpenAL_Sound::_set_muted(bool muted) {
  std::lock_guard<std::mutex> lock(mutex_);
  muted_ = muted;
  if (live()) apply_gains();
}

bool OpenAL_Sound::_is_muted() {
  std::lock_guard<std::mutex> lock(mutex_);
  return muted_;
}

std::string OpenAL_Sound::_get_error() {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

void OpenAL_Sound::apply_gains() {
  alListenerf(AL_GAIN, muted_ ? 0.0f : volumes_[SOUND_MASTER]);
  for (Voice& voice : voices_) alSourcef(voice.source, AL_GAIN, voice.volume * volumes_[SOUND_EFFECTS]);
  alSourcef(music_source_, AL_GAIN, music_volume_ * volumes_[SOUND_MUSIC]);
}

bool OpenAL_Sound::fill(ALuint buffer) {
  if (!music_ || music_ended_) return false;
  const int channels = music_->_get_channels();
  const long frames = std::max(1L, static_cast<long>(music_->_get_rate() * MUSIC_PIECE_SECONDS));
  music_piece_.resize(static_cast<std::size_t>(frames) * channels);
  long done = 0;
  bool rewound = false;
  // At the end of a loop the piece goes on from the start, so the loop has no gap.
  while (done < frames) {
    const long got = music_->_read(music_piece_.data() + done * channels, frames - done);
    if (got > 0) {
      done += got;
      rewound = false;
      continue;
    }
    if (got < 0) std::cerr << "Sound: the music stopped: " << music_->_get_error() << std::endl;
    // A stream that is empty from its start would go round for ever.
    if (got < 0 || !music_loop_ || rewound || !music_->_rewind()) {
      music_ended_ = true;
      break;
    }
    rewound = true;
  }
  if (done == 0) return false;
  alBufferData(buffer, format_of(channels), music_piece_.data(),
               static_cast<ALsizei>(done * channels * sizeof(int16_t)), music_->_get_rate());
  return true;
}

void OpenAL_Sound::start_music() {
  alSourceStop(music_source_);
  alSourcei(music_source_, AL_BUFFER, 0);
  music_ended_ = false;
  int queued = 0;
  for (ALuint buffer : music_buffers_)
    if (fill(buffer)) {
      alSourceQueueBuffers(music_source_, 1, &buffer);
      ++queued;
    }
  alSourcef(music_source_, AL_GAIN, music_volume_ * volumes_[SOUND_MUSIC]);
  if (queued > 0) alSourcePlay(music_source_);
}

void OpenAL_Sound::refill_music() {
  if (!music_) return;
  ALint processed = 0;
  alGetSourcei(music_source_, AL_BUFFERS_PROCESSED, &processed);
  for (; processed > 0; --processed) {
    ALuint buffer = 0;
    alSourceUnqueueBuffers(music_source_, 1, &buffer);
    if (fill(buffer)) alSourceQueueBuffers(music_source_, 1, &buffer);
  }
  ALint state = AL_STOPPED, queued = 0;
  alGetSourcei(music_source_, AL_SOURCE_STATE, &state);
  alGetSourcei(music_source_, AL_BUFFERS_QUEUED, &queued);
  // A source that ran dry before its refill starts again where it was.
  if (state != AL_PLAYING && !music_paused_ && queued > 0) alSourcePlay(music_source_);
  if (queued == 0 && music_ended_) music_.reset();
}

void OpenAL_Sound::free_finished() {
  for (Voice& voice : voices_) {
    if (!voice.sound) continue;
    ALint state = AL_STOPPED;
    alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) continue;
    alSourcei(voice.source, AL_BUFFER, 0);
    voice.sound.reset();
  }
  for (auto entry = buffers_.begin(); entry != buffers_.end();) {
    if (entry->second.sound.expired()) {
      alDeleteBuffers(1, &entry->second.name);
      entry = buffers_.erase(entry);
    } else {
      ++entry;
    }
  }
}

void OpenAL_Sound::check_device() {
  if (!can_tell_lost_) return;
  ALCint connected = ALC_TRUE;
  alcGetIntegerv(device_, ALC_CONNECTED, 1, &connected);
  if (connected) return;
  lost_ = true;
  std::cerr << "Sound: the sound device was lost; the game goes on without sound" << std::endl;
}

void OpenAL_Sound::service() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!live()) return;
  check_device();
  if (lost_) return;
  refill_music();
  free_finished();
}

void OpenAL_Sound::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    lock.unlock();
    service();
    lock.lock();
    wake_.wait_for(lock, SERVICE_PERIOD, [this] { return stopping_; });
  }
}
