#pragma once
// What landed in a video surface, read back pixel by pixel (needs olvane).

#include <array>
#include <cstddef>

#include "olvane/video.h"

namespace test_support {

using Rgba = std::array<unsigned char, 4>;  // red, green, blue, alpha

// Pixel (x, y) of a surface, y from its first row, which is the bottom of the picture.
inline Rgba pixel(Video_Surface* surface, int x, int y) {
  const auto* p = static_cast<const unsigned char*>(surface->_get_surface_data()) +
                  static_cast<std::size_t>(y) * surface->_get_pitch() + static_cast<std::size_t>(x) * 4;
  return {p[0], p[1], p[2], p[3]};
}

}  // namespace test_support
