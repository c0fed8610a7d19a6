#include "olvane/video.h"

#include "modpath/modpath.h"
#include "tarnvale/storage.h"

namespace {

std::string& last_error() {
  static std::string text;
  return text;
}

Storage<std::string, Video_Interface*>& drivers() {
  static Storage<std::string, Video_Interface*> storage;
  return storage;
}

bool fail(const std::string& text) {
  last_error() = text;
  return false;
}

}  // namespace

extern "C" {

bool video_create(std::string name, std::string driver, std::string* params, int count, int) {
  if (name.empty()) return fail("Empty video name");
  if (drivers().exists(name)) return fail("Video already exist: " + name);
  if (count < 0 || (count > 0 && params == nullptr)) return fail("Bad video parameters");
  // Plug-ins stay loaded until the process ends: their code may still be running in callbacks.
  std::string why;
  Video_Interface* video = modpath::make_from_entry_point<Video_Interface>(
      driver, "_get_video_driver", "video driver", "video", params, count, &why);
  if (video == nullptr) return fail(why);
  drivers().add(name, video);
  return true;
}

Video_Interface* video_get_interface(std::string name) {
  // Every drawn object asks every frame: one lookup.
  auto& storage = drivers();
  const auto found = storage.find(name);
  if (found == storage.end()) {
    last_error() = "No such video: " + name;
    return nullptr;
  }
  return found->second;
}

bool video_remove(std::string name) {
  Video_Interface* video = video_get_interface(name);
  if (video == nullptr) return false;
  drivers().remove(name);
  delete video;
  return true;
}

std::string video_error() { return last_error(); }

}  // extern "C"
