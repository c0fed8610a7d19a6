#include "vistrel/imageloader.h"

#include "plugin_registry.h"

namespace {

Plugin_Registry<Image_Loader>& registry() {
  static auto* r = new Plugin_Registry<Image_Loader>("_get_imageloader");
  return *r;
}

// Loaders are plug-ins: nothing they throw may leave this library.
bool call_loader(Image_Loader* loader, const std::string& video_name, const std::string& file_name,
                 const std::string& scene_name, const std::string& surface_name,
                 Brannow::FileManager* files, int flag) {
  try {
    return loader->loadimage(video_name, file_name, scene_name, surface_name, files, flag);
  } catch (const std::exception& e) {
    registry().error = "Can`t load \"" + file_name + "\": " + e.what();
  } catch (...) {
    registry().error = "Can`t load \"" + file_name + "\"";
  }
  return false;
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
  return call_loader(loader, video_name, file_name, scene_name, surface_name, files, flag);
}

bool imageloader_loadimage_noext(std::string video_name, std::string file_name,
                                 std::string scene_name, std::string surface_name,
                                 Brannow::FileManager* files, int flag) {
  const auto dot = file_name.find('.');
  const std::string extension = dot == std::string::npos ? file_name : file_name.substr(dot + 1);
  if (imageloader_loadimage(extension, video_name, file_name, scene_name, surface_name, files, flag))
    return true;
  for (auto& entry : registry().plugins())
    if (call_loader(entry.second, video_name, file_name + "." + entry.first, scene_name,
                    surface_name, files, flag))
      return true;
  return false;
}

bool imageloader_remove(std::string loader_name) { return registry().remove(loader_name); }

void imageloader_seterror(std::string text) { registry().error = std::move(text); }

std::string imageloader_error() { return registry().error; }

std::string imageloader_version() { return "2.0.0"; }
