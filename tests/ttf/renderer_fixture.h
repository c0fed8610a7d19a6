#pragma once
// A started renderer with the shipped font under the alias "Sans", rendering into the
// windowless test driver "MemVideo".

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "memory_video.h"
#include "surface_pixels.h"
#include "ttf_renderer.h"

inline std::string shipped_font() { return std::string(TARNVALE_SOURCE_DIR) + "/res/fonts/DejaVuSans.ttf"; }

using test_support::Rgba;
using test_support::pixel;

inline VideoColor make_color(int r, int g, int b, int a) {
  VideoColor color;
  color.set_color(r, g, b, a);
  return color;
}

// Alpha of every shown pixel, row 0 first.
inline std::vector<std::vector<int>> alpha_rows(Video_Surface* surface) {
  std::vector<std::vector<int>> rows(surface->_get_height());
  for (int y = 0; y < surface->_get_height(); ++y)
    for (int x = 0; x < surface->_get_width(); ++x) rows[y].push_back(pixel(surface, x, y)[3]);
  return rows;
}

// Every pixel of the surface, padding included.
inline std::vector<unsigned char> all_bytes(Video_Surface* s) {
  const auto* data = static_cast<const unsigned char*>(s->_get_surface_data());
  return std::vector<unsigned char>(data, data + s->_get_pitch() * s->_get_texture_height());
}

class RendererTest : public ::testing::Test {
protected:
  void SetUp() override {
    files.register_brannow(Brannow::CreatePosixFile);
    ASSERT_TRUE(renderer.init());
    ASSERT_TRUE(renderer.load_font("Sans", shipped_font(), &files)) << renderer.get_error();
    video = memory_video("MemVideo");
    ASSERT_NE(video, nullptr) << video_error();
  }
  void TearDown() override { video_remove("MemVideo"); }

  // Renders UTF-8 text into the surface (name, "texts") and returns it (null on failure).
  Video_Surface* render(const std::string& text, int size = 32,
                        VideoColor color = make_color(255, 255, 255, 255),
                        const std::string& name = "t") {
    if (!renderer.render_text("MemVideo", "Sans", text, color, size, name, "texts", true))
      return nullptr;
    return video->_get_surface(name, "texts");
  }

  Video_Surface* render_codes(std::vector<int> codes, int size = 32, const std::string& name = "t",
                              int* descent = nullptr) {
    if (!renderer.render_text("MemVideo", "Sans", &codes, make_color(255, 255, 255, 255), size,
                              name, "texts", true, descent))
      return nullptr;
    return video->_get_surface(name, "texts");
  }

  Brannow::FileManager files{100};
  TTF_Renderer renderer;
  MemoryVideo* video = nullptr;
};
