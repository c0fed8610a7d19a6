#pragma once
// A real OpenGL driver under the test's private X server, configured from a throw-away
// configuration, with the last frame's pixels read back before the swap.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "opengl_video.h"

namespace video_test {

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};

// Creates (or refills) the configuration `name` with "Video->" + key = value pairs.
void make_config(const std::string& name, const std::map<std::string, std::string>& values);

// A windowed driver of the given size; further keys override the defaults.
std::unique_ptr<OpenGL_Video> open_driver(int width, int height,
                                          std::map<std::string, std::string> extra = {});

// Ends the frame and returns the pixels it drew (rows from the bottom, RGBA).
class FrameGrabber {
public:
  explicit FrameGrabber(OpenGL_Video& video);
  void flip();
  // Pixel (x, y), x from the left, y from the BOTTOM.
  Rgba at(int x, int y) const;
  // Pixel under the normalised point (x, y).
  Rgba at_normalised(double x, double y) const;

private:
  OpenGL_Video& video_;
  int width_, height_;
  std::vector<unsigned char> pixels_;
};

// Fills a whole surface with one colour and marks it for upload.
void fill_surface(Video_Surface* surface, Rgba colour);

}  // namespace video_test

#define EXPECT_RGB_NEAR(pixel, R, G, B)   \
  do {                                    \
    const video_test::Rgba p__ = (pixel); \
    EXPECT_NEAR(p__.r, (R), 3);           \
    EXPECT_NEAR(p__.g, (G), 3);           \
    EXPECT_NEAR(p__.b, (B), 3);           \
  } while (0)
