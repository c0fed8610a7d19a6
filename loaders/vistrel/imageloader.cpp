#include "vistrel/imageloader.h"

#include <filesystem>
#include <map>
#include <tuple>

#include "olvane/video.h"
#include "plugin_registry.h"

namespace {

Plugin_Registry<Image_Loader>& registry() {
  static auto* r = new Plugin_Registry<Image_Loader>("_get_imageloader");
  return *r;
}

// Where each surface's pixels came from, for a reload of the file: one entry per surface,
// the latest load winning.
struct LoadedPicture {
  std::string loader_name, file_name;
  Brannow::FileManager* files;
};
using SurfaceKey = std::tuple<std::string, std::string, std::string>;  // video, group, surface

std::map<SurfaceKey, LoadedPicture>& loaded_pictures() {
  static auto* pictures = new std::map<SurfaceKey, LoadedPicture>;
  return *pictures;
}

bool& keeping_pixels() {
  static bool keep = true;
  return keep;
}

// One spelling of a path for comparisons ("./res/a.png" and "res//a.png" are "res/a.png").
std::string normal_path(const std::string& file_name) {
  return std::filesystem::path(file_name).lexically_normal().string();
}

// Loaders are plug-ins: nothing they throw may leave this library.
bool call_loader(const std::string& loader_name, Image_Loader* loader, const std::string& video_name,
                 const std::string& file_name, const std::string& scene_name,
                 const std::string& surface_name, Brannow::FileManager* files, int flag) {
  try {
    if (!loader->loadimage(video_name, file_name, scene_name, surface_name, files, flag)) return false;
    loaded_pictures()[SurfaceKey(video_name, scene_name, surface_name)] = {loader_name, file_name, files};
    return true;
  } catch (const std::exception& e) {
    registry().error = "Can`t load \"" + file_name + "\": " + e.what();
  } catch (...) {
    registry().error = "Can`t load \"" + file_name + "\"";
  }
  return false;
}

// The extension after the last "." of the file's own name ("./res/a.png" -> "png"); a name
// without one is taken whole, which names no loader.
std::string extension_of(const std::string& file_name) {
  const std::size_t slash = file_name.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = file_name.rfind('.');
  return dot == std::string::npos || dot < start ? file_name : file_name.substr(dot + 1);
}

bool file_exists(const std::string& file_name, Brannow::FileManager* files) {
  if (files == nullptr) return false;
  try {
    return files->open(file_name, Brannow::READ, Brannow::NO_CACHE) != nullptr;
  } catch (...) {
    return false;
  }
}

}  // namespace

Image_Loader::~Image_Loader() = default;

std::string Image_Loader::get_version() { return ""; }

bool imageloader_create(std::string loader_name, std::string module_name, bool replace) {
  return registry().create(loader_name, module_name, replace);
}

bool imageloader_loadimage(std::string loader_name, std::string video_name, std::string file_name,
                           std::string scene_name, std::string surface_name,
                           Brannow::FileManager* files, int flag) {
  Image_Loader* loader = registry().find(loader_name);
  if (loader == nullptr) {
    registry().error = "No such loader \"" + loader_name + "\"";
    return false;
  }
  return call_loader(loader_name, loader, video_name, file_name, scene_name, surface_name, files,
                     flag);
}

bool imageloader_loadimage_noext(std::string video_name, std::string file_name,
                                 std::string scene_name, std::string surface_name,
                                 Brannow::FileManager* files, int flag) {
  if (imageloader_loadimage(extension_of(file_name), video_name, file_name, scene_name,
                            surface_name, files, flag))
    return true;
  const std::string first_reason = registry().error;
  for (auto& entry : registry().plugins())
    if (call_loader(entry.first, entry.second, video_name, file_name + "." + entry.first, scene_name,
                    surface_name, files, flag))
      return true;
  // A file that is there but broken: why its own loader refused it, not that "X.png.png" is
  // missing.
  if (file_exists(file_name, files)) registry().error = first_reason;
  return false;
}

bool imageloader_reload(std::string file_name, int* reloaded) {
  const std::string wanted = normal_path(file_name);
  int count = 0;
  bool all = true;
  for (auto it = loaded_pictures().begin(); it != loaded_pictures().end();) {
    const auto& [video_name, group, surface] = it->first;
    const LoadedPicture picture = it->second;
    Video_Interface* video = video_get_interface(video_name);
    // A surface removed since (its scene went) is forgotten, not made again.
    if (video == nullptr || video->_get_surface(surface, group) == nullptr) {
      it = loaded_pictures().erase(it);
      continue;
    }
    ++it;
    if (normal_path(picture.file_name) != wanted) continue;
    if (imageloader_loadimage(picture.loader_name, video_name, picture.file_name, group, surface,
                              picture.files, 1))
      ++count;
    else
      all = false;
  }
  if (reloaded != nullptr) *reloaded = count;
  return all;
}

void imageloader_keep_pixels(bool keep) { keeping_pixels() = keep; }

bool imageloader_keeps_pixels() { return keeping_pixels(); }

bool imageloader_remove(std::string loader_name) { return registry().remove(loader_name); }

void imageloader_seterror(std::string text) { registry().error = std::move(text); }

std::string imageloader_error() { return registry().error; }

std::string imageloader_version() { return "2.0.0"; }
