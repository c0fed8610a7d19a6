#include "picture_files.h"

#include <png.h>
#include <stdio.h>
#include <jpeglib.h>
#include <zlib.h>

#include <stdexcept>

namespace {

void append(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), length);
}

void flush(png_structp) {}

[[noreturn]] void png_failure(png_structp, png_const_charp text) { throw std::runtime_error(text); }

}  // namespace

std::string png_file(const Png_Picture& p) {
  std::string out;
  // Errors throw from the callback instead of jumping: this writer only runs in tests.
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, png_failure, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, append, flush);
  png_set_IHDR(png, info, p.width, p.height, p.bit_depth, p.color_type,
               p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!p.palette.empty()) {
    std::vector<png_color> colours;
    std::vector<png_byte> alphas;
    for (const Rgba& c : p.palette) {
      colours.push_back({c.r, c.g, c.b});
      alphas.push_back(c.a);
    }
    png_set_PLTE(png, info, colours.data(), static_cast<int>(colours.size()));
    png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
  }
  if (!p.transparent.empty()) {
    png_color_16 key{};
    key.gray = p.transparent[0];
    if (p.transparent.size() == 3) {
      key.red = p.transparent[0];
      key.green = p.transparent[1];
      key.blue = p.transparent[2];
    }
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  std::vector<png_bytep> rows;
  for (const auto& row : p.rows) rows.push_back(const_cast<png_bytep>(row.data()));
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::string jpeg_file(int width, int height, int components, const std::vector<uint8_t>& samples) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : components == 3 ? JCS_RGB : JCS_CMYK;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 100, TRUE);
  // Full-size colour planes, so that neighbouring blocks do not bleed into each other.
  info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(&samples[info.next_scanline * width * components]);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::string out(reinterpret_cast<char*>(buffer), size);
  free(buffer);
  return out;
}

void set_png_size(std::string& png, uint32_t width, uint32_t height) {
  // Signature (8), length (4), "IHDR" (4), width, height, ...; the checksum covers type and data.
  auto put32 = [&](std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) png[at + i] = static_cast<char>(v >> (24 - 8 * i));
  };
  put32(16, width);
  put32(20, height);
  put32(29, crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17));
}

void set_jpeg_size(std::string& jpeg, uint16_t width, uint16_t height) {
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
    const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
    if (static_cast<unsigned char>(jpeg[i]) == 0xFF && (marker == 0xC0 || marker == 0xC2)) {
      jpeg[i + 5] = static_cast<char>(height >> 8);
      jpeg[i + 6] = static_cast<char>(height & 0xFF);
      jpeg[i + 7] = static_cast<char>(width >> 8);
      jpeg[i + 8] = static_cast<char>(width & 0xFF);
      return;
    }
  }
  throw std::runtime_error("no frame header");
}

Rgba picture_pixel(Video_Surface* surface, int x, int y) {
  const int surface_row = surface->_get_height() - 1 - y;
  const auto* p = static_cast<const uint8_t*>(surface->_get_surface_data()) +
                  surface_row * surface->_get_pitch() + x * 4;
  return {p[0], p[1], p[2], p[3]};
}
