#include "picture.h"

#include "vistrel/imageloader.h"

VideoColor color_from_rgba(uint32_t color) {
  VideoColor video_color;
  video_color.set_color(color >> 24, (color >> 16) & 0xff, (color >> 8) & 0xff, color & 0xff);
  return video_color;
}

Video_Sprite* load_picture_sprite(const std::string& video_name, const std::string& loader,
                         const std::string& file, const std::string& name,
                         const std::string& group, Brannow::FileManager* file_manager,
                         float x_base, float y_base, std::string* error) {
  Video_Interface* video = video_get_interface(video_name);
  if (!video) {
    *error = "Can't get video interface:" + video_error();
    return nullptr;
  }
  const bool loaded =
      loader.empty()
          ? imageloader_loadimage_noext(video_name, file, group, name, file_manager, 1)
          : imageloader_loadimage(loader, video_name, file, group, name, file_manager, 1);
  if (!loaded) {
    *error = "Can't load image:" + imageloader_error();
    return nullptr;
  }
  if (!video->_create_sprite(name, group, name, group, true)) {
    *error = "Can't create sprite: " + video->_get_error();
    return nullptr;
  }
  Video_Sprite* sprite = video->_get_sprite(name, group);
  if (!sprite) {
    *error = "Can't get sprite: " + video->_get_error();
    return nullptr;
  }
  sprite->_set_base_point(static_cast<double>(x_base), static_cast<double>(y_base));
  return sprite;
}
