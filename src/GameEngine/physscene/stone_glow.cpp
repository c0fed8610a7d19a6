#include "stone_glow.h"

#include "../GameObjects/basestone/basestone.h"
#include "olvane/video.h"
#include "physscene.h"

namespace {
// The glow's outer size against its stone's.
const float GLOW_SCALE = 1.6f;
}  // namespace

bool StoneGlow::make(BaseStone* stone) const {
  Video_Interface* driver = video_get_interface(video);
  Video_Sprite* stone_sprite = stone->_get__sprite_();
  if (!driver || !stone_sprite) return false;
  Video_Surface* picture =
      driver->_get_surface(stone_sprite->_get_surface_name(), stone_sprite->_get_surface_group());
  if (!picture || !picture->_get_surface_data()) return false;
  const int width = picture->_get_width(), height = picture->_get_height();
  const int ring_width = static_cast<int>(width * GLOW_SCALE + 0.5f);
  const int ring_height = static_cast<int>(height * GLOW_SCALE + 0.5f);
  const std::string name = name_of(stone->_get__object_name_());
  if (!driver->_create_surface(ring_width, ring_height, name, group, true)) return false;
  Video_Surface* glow = driver->_get_surface(name, group);
  if (!glow || !glow->_get_surface_data() || glow->_get_bpp() != 4) return false;
  const auto* from = static_cast<const unsigned char*>(picture->_get_surface_data());
  // The picture's own transparency gives the shape; a picture without one is a whole rectangle.
  auto opacity = [&](int column, int row) -> unsigned {
    if (column < 0 || row < 0 || column >= width || row >= height) return 0;
    return picture->_get_bpp() == 4 ? from[row * picture->_get_pitch() + column * 4 + 3] : 255u;
  };
  const int left = (ring_width - width) / 2, bottom = (ring_height - height) / 2;
  auto* to = static_cast<unsigned char*>(glow->_get_surface_data());
  for (int row = 0; row < ring_height; ++row)
    for (int column = 0; column < ring_width; ++column) {
      // The shape grown, less the shape itself: a ring that lies around the stone, not over it.
      const unsigned outer = opacity(static_cast<int>(column / GLOW_SCALE), static_cast<int>(row / GLOW_SCALE));
      const unsigned inner = opacity(column - left, row - bottom);
      const unsigned alpha = outer > inner ? outer - inner : 0u;
      unsigned char* pixel = to + row * glow->_get_pitch() + column * 4;
      pixel[0] = static_cast<unsigned char>(colour >> 24);
      pixel[1] = static_cast<unsigned char>(colour >> 16);
      pixel[2] = static_cast<unsigned char>(colour >> 8);
      pixel[3] = static_cast<unsigned char>(alpha * (colour & 0xffu) / 255u);
    }
  glow->_set_alpha_status(ALPHA_BLENDED);
  glow->_update();
  if (!driver->_create_sprite(name, group, name, group, true)) return false;
  Video_Sprite* sprite = driver->_get_sprite(name, group);
  if (!sprite) return false;
  sprite->_set_base_point(stone_sprite->_get_base_x() / stone_sprite->_get_h_offset(),
                          stone_sprite->_get_base_y() / stone_sprite->_get_v_offset());
  sprite->_set_scale(stone_sprite->_get_scale_x(), stone_sprite->_get_scale_y());
  return true;
}

void StoneGlow::draw(BaseStone* stone, float alpha) const {
  Video_Interface* driver = video_get_interface(video);
  Video_Sprite* sprite = driver ? driver->_find_sprite(name_of(stone->_get__object_name_()), group) : nullptr;
  if (!sprite || !stone->_get_body()) return;
  const b2Vec2 at = stone->_get_body()->GetPosition();
  const b2Vec2 shift = stone->picture_offset();
  sprite->_set_rotation(static_cast<float>(stone->_get_body()->GetAngle() * RADIANS_TO_DEGREES));
  // The driver scales the place with the picture.
  sprite->_set_coord((world_to_scene(at.x) + shift.x) / sprite->_get_scale_x(),
                     (world_to_scene(at.y) + shift.y) / sprite->_get_scale_y());
  sprite->_set_alpha(alpha);
  driver->_draw_sprite(sprite);
}

void StoneGlow::release(const std::string& stone_name) const {
  if (!stone_name.empty()) release_picture(video, name_of(stone_name), group);
}
