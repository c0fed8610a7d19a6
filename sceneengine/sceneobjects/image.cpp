#include "voskar/image.h"

#include <cstdlib>

#include "tarnvale/diagnostics.h"
#include "vistrel/imageloader.h"
#include "voskar/object_from_data.h"

Image::Image() : x_base(0.5f), y_base(0.5f), _sprite_(nullptr) {}

Image::~Image() = default;

bool Image::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager) {
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix, scene_name,
                                       object_name, file_manager);
  if (config == nullptr) return false;
  image_file = config->get_value(storage_prefix + "Image->image_file", "");
  loader = config->get_value(storage_prefix + "Image->loader", "");
  read_limited(config, "Image->x_base", &x_base);
  read_limited(config, "Image->y_base", &y_base);
  return real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool Image::real_load(Scene*, std::string, std::string, std::string, std::string object_name,
                      Brannow::FileManager* file_manager) {
  if (file_manager == nullptr) {
    _error_ = "Can't load image:" + imageloader_error();
    return false;
  }
  if (!load_image(image_file, object_name, file_manager)) return false;
  tarnvale::Diagnostic loaded = tarnvale::diagnostic_here(tarnvale::Severity::debug,
                                                          tarnvale::Voice::plain, TARNVALE_FILE, __LINE__);
  loaded.text = object_name + " loaded";
  tarnvale::report(loaded);
  return true;
}

bool Image::load_image(std::string file, std::string name, Brannow::FileManager* file_manager) {
  Video_Interface* video = video_get_interface(_video_name_);
  if (video == nullptr) {
    _error_ = "Can't get video interface:" + video_error();
    return false;
  }
  const std::string& group = _scene_name_;
  const bool loaded =
      loader.empty()
          ? imageloader_loadimage_noext(_video_name_, file, group, name, file_manager, 1)
          : imageloader_loadimage(loader, _video_name_, file, group, name, file_manager, 1);
  if (!loaded) {
    _error_ = "Can't load image:" + imageloader_error();
    return false;
  }
  if (!video->_create_sprite(name, group, name, group, true)) {
    _error_ = "Can't create sprite: " + video->_get_error();
    return false;
  }
  _sprite_ = video->_get_sprite(name, group);
  if (_sprite_ == nullptr) {
    _error_ = "Can't get sprite: " + video->_get_error();
    return false;
  }
  _sprite_->_set_base_point(static_cast<double>(x_base), static_cast<double>(y_base));
  return true;
}

void Image::draw() {
  if (!show || _sprite_ == nullptr) return;
  Video_Interface* video = video_get_interface(_video_name_);
  if (video == nullptr) return;
  calculate_position();
  _sprite_->_set_coord(x, y);
  // The sprite made at load; a lookup by name would cost a map search per image per frame.
  video->_draw_sprite(_sprite_);
}

bool Image::_is_point_in_object(float px, float py) {
  Video_Interface* video = video_get_interface(_video_name_);
  if (video == nullptr || _sprite_ == nullptr) return false;
  return is_point_in_sprite(video, _sprite_, px, py);
}
