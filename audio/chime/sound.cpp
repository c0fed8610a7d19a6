#include "chime/sound.h"

#include <algorithm>
#include <map>

#include "modpath/modpath.h"
#include "plugin_registry.h"
#include "tarnvale/storage.h"

namespace {

std::string& last_error() {
  static std::string text;
  return text;
}

bool fail(const std::string& text) {
  last_error() = text;
  return false;
}

Storage<std::string, Sound_Interface*>& drivers() {
  static Storage<std::string, Sound_Interface*> storage;
  return storage;
}

Plugin_Registry<Sound_Loader>& loaders() {
  static auto* registry = new Plugin_Registry<Sound_Loader>("_get_soundloader");
  return *registry;
}

// Decoded effects by file name, while anything still holds them.
std::map<std::string, std::weak_ptr<const Sound_Samples>>& decoded() {
  static std::map<std::string, std::weak_ptr<const Sound_Samples>> cache;
  return cache;
}

// The text after the last "." of the file's own name; empty when there is none.
std::string extension_of(const std::string& file_name) {
  const std::size_t slash = file_name.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string::npos || dot < start) return "";
  std::string extension = file_name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

std::shared_ptr<const std::string> read_file(const std::string& file_name,
                                             Brannow::FileManager* files) {
  std::shared_ptr<Brannow::File> file;
  try {
    if (files) file = files->open(file_name, Brannow::READ, Brannow::NO_CACHE);
  } catch (...) {
    file = nullptr;
  }
  if (!file) {
    fail(file_name + ": the file cannot be read");
    return nullptr;
  }
  if (file->get_size() == 0) {
    fail(file_name + ": the file is empty");
    return nullptr;
  }
  if (file->get_size() > SOUND_MAX_FILE_BYTES) {
    fail(file_name + ": the file is larger than " + std::to_string(SOUND_MAX_FILE_BYTES >> 20) +
         " MiB");
    return nullptr;
  }
  return std::make_shared<const std::string>(file->get_content(), file->get_size());
}

}  // namespace

Sound_Stream::~Sound_Stream() = default;
Sound_Loader::~Sound_Loader() = default;
Sound_Interface::~Sound_Interface() = default;

bool sound_create(const std::string& name, const std::string& driver, const std::string* params,
                  int count) {
  if (name.empty()) return fail("Empty sound name");
  if (drivers().exists(name)) return fail("Sound already exists: " + name);
  if (count < 0 || (count > 0 && params == nullptr)) return fail("Bad sound parameters");
  // Plug-ins stay loaded until the process ends, as the video drivers do.
  std::string why;
  Sound_Interface* sound = modpath::make_from_entry_point<Sound_Interface>(
      driver, "_get_sound_driver", "sound driver", "sound driver", params, count, &why);
  if (sound == nullptr) return fail(why);
  drivers().add(name, sound);
  return true;
}

Sound_Interface* sound_get_interface(const std::string& name) {
  auto& storage = drivers();
  return storage.exists(name) ? storage.get(name) : nullptr;
}

bool sound_remove(const std::string& name) {
  Sound_Interface* sound = sound_get_interface(name);
  if (sound == nullptr) return fail("No such sound: " + name);
  drivers().remove(name);
  delete sound;
  return true;
}

bool soundloader_create(const std::string& loader_name, const std::string& module_name,
                        bool replace) {
  if (loaders().create(loader_name, module_name, replace)) return true;
  return fail("Can't load sound loader " + module_name + ": " + loaders().error);
}

bool soundloader_remove(const std::string& loader_name) { return loaders().remove(loader_name); }

bool soundloader_any() { return !loaders().plugins().empty(); }

Sound_Stream* soundloader_open(const std::string& file_name, Brannow::FileManager* files) {
  const std::string extension = extension_of(file_name);
  Sound_Loader* loader = loaders().find(extension);
  if (loader == nullptr) {
    fail(file_name + ": no sound loader for files ending in \"." + extension + "\"");
    return nullptr;
  }
  std::shared_ptr<const std::string> bytes = read_file(file_name, files);
  if (!bytes) return nullptr;
  std::string why;
  Sound_Stream* stream = nullptr;
  // Loaders are plug-ins: nothing they throw may leave this library.
  try {
    stream = loader->_open(bytes, &why);
  } catch (...) {
    stream = nullptr;
    why = "the loader failed";
  }
  if (stream == nullptr) fail(file_name + ": " + why);
  return stream;
}

std::shared_ptr<const Sound_Samples> soundloader_decode(const std::string& file_name,
                                                        Brannow::FileManager* files) {
  if (auto kept = decoded()[file_name].lock()) return kept;
  std::unique_ptr<Sound_Stream> stream(soundloader_open(file_name, files));
  if (!stream) return nullptr;
  auto sound = std::make_shared<Sound_Samples>();
  sound->rate = stream->_get_rate();
  sound->channels = stream->_get_channels();
  const std::size_t limit =
      static_cast<std::size_t>(SOUND_MAX_EFFECT_SECONDS * sound->rate) * sound->channels;
  const long chunk = 4096;
  std::vector<int16_t> piece(static_cast<std::size_t>(chunk) * sound->channels);
  for (;;) {
    const long got = stream->_read(piece.data(), chunk);
    if (got < 0) {
      fail(file_name + ": " + stream->_get_error());
      return nullptr;
    }
    if (got == 0) break;
    sound->samples.insert(sound->samples.end(), piece.begin(),
                          piece.begin() + got * sound->channels);
    if (sound->samples.size() > limit) {
      fail(file_name + ": longer than " + std::to_string(static_cast<int>(SOUND_MAX_EFFECT_SECONDS)) +
           " seconds; play it on the music channel");
      return nullptr;
    }
  }
  if (sound->samples.empty()) {
    fail(file_name + ": the file holds no samples");
    return nullptr;
  }
  decoded()[file_name] = sound;
  return sound;
}

std::string sound_error() { return last_error(); }
