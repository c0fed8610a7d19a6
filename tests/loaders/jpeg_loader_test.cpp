#include "loader_fixture.h"

namespace {

// Blocks of 8 x 8 in one colour survive quality 100 nearly unchanged.
constexpr int W = 24, H = 16, Tolerance = 3;

std::vector<uint8_t> blocks(int components, const std::function<uint8_t(int, int, int)>& value) {
  std::vector<uint8_t> samples;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      for (int c = 0; c < components; ++c) samples.push_back(value(x / 8, y / 8, c));
  return samples;
}

uint8_t shade(int bx, int by, int c) { return static_cast<uint8_t>(40 + bx * 60 + by * 90 + c * 25); }

using JpegLoader = PictureLoaderTest;

TEST_F(JpegLoader, ColourPictureIsOpaqueAndBottomRowFirst) {
  ASSERT_TRUE(load(jpeg_file(W, H, 3, blocks(3, shade)), "colour.jpg", "jpg")) << imageloader_error();
  expect_picture(W, H, [](int x, int y) {
    return Rgba{shade(x / 8, y / 8, 0), shade(x / 8, y / 8, 1), shade(x / 8, y / 8, 2), 255};
  }, Tolerance);
  // The first surface row is the picture's bottom block row.
  const auto* first = static_cast<const uint8_t*>(surface()->_get_surface_data());
  EXPECT_NEAR(first[0], shade(0, 1, 0), Tolerance);
}

TEST_F(JpegLoader, GreyPicture) {
  ASSERT_TRUE(load(jpeg_file(W, H, 1, blocks(1, shade)), "grey.jpg", "jpg"));
  expect_picture(W, H, [](int x, int y) {
    const uint8_t g = shade(x / 8, y / 8, 0);
    return Rgba{g, g, g, 255};
  }, Tolerance);
}

TEST_F(JpegLoader, CmykPictureIsConverted) {
  // Written as Adobe does, 255 meaning no ink: red = C * K / 255 and so on.
  const auto ink = [](int bx, int by, int c) -> uint8_t {
    static const uint8_t values[3][2][4] = {{{255, 0, 255, 255}, {255, 255, 255, 128}},
                                            {{0, 255, 255, 255}, {200, 100, 50, 255}},
                                            {{255, 255, 0, 200}, {255, 255, 255, 255}}};
    return values[bx][by][c];
  };
  ASSERT_TRUE(load(jpeg_file(W, H, 4, blocks(4, ink)), "cmyk.jpg", "jpg")) << imageloader_error();
  expect_picture(W, H, [&](int x, int y) {
    const int bx = x / 8, by = y / 8, k = ink(bx, by, 3);
    auto mix = [&](int c) { return static_cast<uint8_t>((ink(bx, by, c) * k + 127) / 255); };
    return Rgba{mix(0), mix(1), mix(2), 255};
  }, Tolerance);
}

TEST_F(JpegLoader, BrokenFilesAreRefusedWithAReason) {
  const std::string good = jpeg_file(W, H, 3, blocks(3, shade));
  expect_refused("", "empty.jpg", "jpg", "the file is empty");
  expect_refused(good.substr(0, good.size() / 2), "half.jpg", "jpg", "ends too early");
  expect_refused(good.substr(0, 20), "header.jpg", "jpg", "ends too early");
  expect_refused(png_file({1, 1, 0, 8, false, {{0}}, {}, {}}), "picture.jpg", "jpg",
                 "not a JPEG file");
  std::string huge = good;
  set_jpeg_size(huge, 65000, 65000);
  expect_refused(huge, "huge.jpg", "jpg", "too big (65000 x 65000 pixels");
  std::string flat = good;
  set_jpeg_size(flat, 0, 16);
  EXPECT_FALSE(load(flat, "flat.jpg", "jpg"));
  EXPECT_EQ(surface(), nullptr);
}

}  // namespace
