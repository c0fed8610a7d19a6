#pragma once
// Pictures written with libpng and libjpeg for the loader tests, and the checks on what the
// loaders put into a surface.

#include <cstdint>
#include <string>
#include <vector>

#include "olvane/video.h"

struct Rgba {
  uint8_t r, g, b, a;
  bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};

// A PNG of the given colour type and bit depth from rows already in that format
// (packed bits, 16-bit samples big-endian).
struct Png_Picture {
  int width = 0, height = 0;
  int color_type = 0, bit_depth = 8;
  bool interlaced = false;
  std::vector<std::vector<uint8_t>> rows;
  std::vector<Rgba> palette;        // for palette pictures; alpha goes to tRNS
  std::vector<uint16_t> transparent;  // tRNS colour key of grey or RGB pictures
};
std::string png_file(const Png_Picture& picture);

// A JPEG of `components` samples per pixel (1 grey, 3 RGB, 4 CMYK) at quality 100.
std::string jpeg_file(int width, int height, int components, const std::vector<uint8_t>& samples);

// Rewrites the size in the header (and fixes its checksum for PNG).
void set_png_size(std::string& png, uint32_t width, uint32_t height);
void set_jpeg_size(std::string& jpeg, uint16_t width, uint16_t height);

// Pixel (x, y) of the picture, y counted from the TOP row, as the surface holds it.
Rgba picture_pixel(Video_Surface* surface, int x, int y);
