#include "game_over_line.h"

#include "olvane/video.h"

namespace {
const char* const LINE_NAME = "gameOverLine";
const char* const WARNING_NAME = "gameOverLineWarning";
const int LINE_THICKNESS = 2;  // pixels

bool make_strip(Video_Interface* video, int width, const char* name, const std::string& group, uint32_t colour) {
  if (!video->_create_surface(width, LINE_THICKNESS, name, group, true)) return false;
  Video_Surface* surface = video->_get_surface(name, group);
  if (!surface || !surface->_get_surface_data() || surface->_get_bpp() != 4) return false;
  const unsigned char rgba[4] = {static_cast<unsigned char>(colour >> 24), static_cast<unsigned char>(colour >> 16),
                                 static_cast<unsigned char>(colour >> 8), static_cast<unsigned char>(colour)};
  auto* pixels = static_cast<unsigned char*>(surface->_get_surface_data());
  for (int row = 0; row < surface->_get_height(); ++row)
    for (int column = 0; column < surface->_get_width(); ++column)
      for (int byte = 0; byte < 4; ++byte) pixels[row * surface->_get_pitch() + column * 4 + byte] = rgba[byte];
  surface->_set_alpha_status(ALPHA_BLENDED);
  surface->_update();
  return video->_create_sprite(name, group, name, group, true);
}
}  // namespace

void GameOverLine::draw(int width, bool warning) const {
  Video_Interface* video_interface = video_get_interface(video);
  if (!video_interface) return;
  const bool warn = warning && warning_colour != 0;
  const char* name = warn ? WARNING_NAME : LINE_NAME;
  if (!video_interface->_get_sprite(name, group)) {
    if (!make_strip(video_interface, width > 0 ? width : video_interface->_get_width(), name, group,
                    warn ? warning_colour : colour))
      return;
    Video_Sprite* sprite = video_interface->_get_sprite(name, group);
    if (!sprite) return;
    sprite->_set_base_point(0.5, 0.5);
    sprite->_set_coord(0.0, line_y);
  }
  video_interface->_draw_sprite(name, group);
}
