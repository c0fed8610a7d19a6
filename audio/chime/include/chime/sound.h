#pragma once
// The sound layer: named sound drivers made by plug-ins loaded by bare name ("libAL_chime", bound
// through its export _get_sound_driver), sound files decoded by loader plug-ins under short names
// ("wav", "ogg", bound through _get_soundloader), and the classes drivers and callers share.
// Failures: false or null, and the reason in sound_error().
//
// Samples are signed 16-bit, interleaved when there are two channels.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "brannow/brannow.h"

// The volumes a driver keeps: an effect sounds at its own volume x effects x master, the music
// at its own x music x master.
enum SOUND_CHANNEL : int { SOUND_MASTER = 0, SOUND_EFFECTS = 1, SOUND_MUSIC = 2 };

// The name the program gives its one sound driver.
inline constexpr const char* SOUND_NAME = "Sound";

// Bounds every loader keeps, so that a hostile header cannot make it allocate or loop for long.
inline constexpr int SOUND_MIN_RATE = 4000;
inline constexpr int SOUND_MAX_RATE = 192000;
// A file larger than this is refused unread.
inline constexpr std::size_t SOUND_MAX_FILE_BYTES = 64u << 20;
// Effects are decoded whole; longer sounds belong on the music channel, which streams.
inline constexpr double SOUND_MAX_EFFECT_SECONDS = 30.0;

// A decoded sound, whole: what an effect plays.
struct Sound_Samples {
  int rate = 0;
  int channels = 0;
  std::vector<int16_t> samples;  // frames x channels
  std::size_t frames() const { return channels > 0 ? samples.size() / channels : 0; }
};

// A sound file decoded piece by piece: what the music plays. It owns its own copy of the bytes.
class Sound_Stream {
public:
  Sound_Stream() = default;
  Sound_Stream(const Sound_Stream&) = delete;
  Sound_Stream& operator=(const Sound_Stream&) = delete;
  virtual ~Sound_Stream();

  virtual int _get_rate() = 0;
  virtual int _get_channels() = 0;  // 1 or 2
  // Decodes up to `frames` frames into out (room for frames x channels samples): the number of
  // frames decoded, 0 at the end, -1 when the data is broken (the reason in _get_error).
  virtual long _read(int16_t* out, long frames) = 0;
  // Back to the first frame; false when the stream cannot go back.
  virtual bool _rewind() = 0;
  virtual std::string _get_error() = 0;
};

// Makes streams from the bytes of one kind of file.
class Sound_Loader {
public:
  Sound_Loader() = default;
  Sound_Loader(const Sound_Loader&) = default;
  Sound_Loader& operator=(const Sound_Loader&) = default;
  virtual ~Sound_Loader();

  // A stream over the whole file's bytes, owned by the caller; null with *error saying why.
  virtual Sound_Stream* _open(std::shared_ptr<const std::string> bytes, std::string* error) = 0;
  // The module name the loader was created from, as given to soundloader_create.
  virtual std::string get_module_name() = 0;
};

// Plays effects and one music stream on a sound device. Nothing here waits on the device: a
// driver that has no device (or lost it) takes every call and stays silent.
class Sound_Interface {
public:
  Sound_Interface() = default;
  Sound_Interface(const Sound_Interface&) = delete;
  Sound_Interface& operator=(const Sound_Interface&) = delete;
  virtual ~Sound_Interface();

  // Opens the device; false (the reason in _get_error) when there is none.
  virtual bool _init() = 0;
  // Starts an effect at pitch x its own speed; a voice number for _stop and _set_pitch, 0 when
  // nothing is played (no device, or every voice busy).
  virtual unsigned _play(std::shared_ptr<const Sound_Samples> sound, float volume, float pitch,
                         bool loop) = 0;
  virtual void _stop(unsigned voice) = 0;
  virtual void _set_pitch(unsigned voice, float pitch) = 0;
  // Streams the music, replacing what played; the driver takes the stream.
  virtual void _play_music(Sound_Stream* stream, float volume, bool loop) = 0;
  virtual void _stop_music() = 0;
  virtual void _pause_music(bool paused) = 0;
  // Volumes from 0 (silent) to 1; values beyond are clamped.
  virtual void _set_volume(SOUND_CHANNEL channel, float volume) = 0;
  virtual float _get_volume(SOUND_CHANNEL channel) = 0;
  virtual void _set_muted(bool muted) = 0;
  virtual bool _is_muted() = 0;
  virtual std::string _get_error() = 0;
};

extern "C" {
// The one export of a driver plug-in: params[0] the configuration to read, params[1] the key
// prefix ("Sound->").
typedef Sound_Interface* (*sound_driver_entry)(const std::string* params, int count);
typedef Sound_Loader* (*sound_loader_entry)();
}

// Loads the driver plug-in by bare name and keeps its instance under `name`.
bool sound_create(const std::string& name, const std::string& driver, const std::string* params,
                  int count);
// The driver of that name, or null (no error text: no driver is the silent default).
Sound_Interface* sound_get_interface(const std::string& name);
bool sound_remove(const std::string& name);

// Loader plug-ins under short names: a file is read by the loader named by its extension.
bool soundloader_create(const std::string& loader_name, const std::string& module_name,
                        bool replace);
bool soundloader_remove(const std::string& loader_name);
// Whether any loader is registered: the game has sound, even before its driver has started.
bool soundloader_any();
// A stream over the file, owned by the caller; null when the file cannot be read or decoded.
Sound_Stream* soundloader_open(const std::string& file_name, Brannow::FileManager* files);
// The whole file decoded (at most SOUND_MAX_EFFECT_SECONDS); files already decoded and still in
// use are shared. Null when it cannot be read, decoded or is too long.
std::shared_ptr<const Sound_Samples> soundloader_decode(const std::string& file_name,
                                                        Brannow::FileManager* files);

// Why the last call of this layer failed, naming the file when there was one.
std::string sound_error();
