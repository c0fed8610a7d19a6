#include "game_over_line.h"

#include "olvane/video.h"

namespace {
const char* const LINE_NAME = "gameOverLine";
const int LINE_THICKNESS = 2;  // pixels

bool make_strip(Video_Interface* video, int width, const std::string& group, uint32_t colour) {
  if (!video->_create_surface(width, LINE_THICKNESS, LINE_NAME, group, true)) return false;
  Video_Surface* surface = video->_get_surface(LINE_NAME, group);
  if (!surface || !surface->_get_surface_data() || surface->_get_bpp() != 4) return false;
  const unsigned char rgba[4] = {static_cast<unsigned char>(colour >> 24), static_cast<unsigned char>(colour >> 16),
                                 static_cast<unsigned char>(colour >> 8), static_cast<unsigned char>(colour)};
  auto* pixels = static_cast<unsigned char*>(surface->_get_surface_data());
  for (int row = 0; row < surface->_get_height(); ++row)
    for (int column = 0; column < surface->_get_width(); ++column)
      for (int byte = 0; byte < 4; ++byte) pixels[row * surface->_get_pitch() + column * 4 + byte] = rgba[byte];
  surface->_set_alpha_status(ALPHA_BLENDED);
  surface->_update();
  return video->_create_sprite(LINE_NAME, group, LINE_NAME, group, true);
}
}  // namespace

void GameOverLine::draw(int width) const {
  Video_Interface* video_interface = video_get_interface(video);
  if (!video_interface) return;
  if (!video_interface->_get_sprite(LINE_NAME, group)) {
    if (!make_strip(video_interface, width > 0 ? width : video_interface->_get_width(), group, colour)) return;
    Video_Sprite* sprite = video_interface->_get_sprite(LINE_NAME, group);
    if (!sprite) return;
    sprite->_set_base_point(0.5, 0.5);
    sprite->_set_coord(0.0, line_y);
  }
  video_interface->_draw_sprite(LINE_NAME, group);
}
