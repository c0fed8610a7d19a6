#include <png.h>

#include "handro/dynamic.h"
#include "loader_fixture.h"

namespace {

constexpr int W = 13, H = 7;  // odd sizes: rows shorter than the surface's pitch

uint8_t level(int x, int y, int salt) { return static_cast<uint8_t>(x * 19 + y * 37 + salt * 71); }

// Rows of `bits`-bit samples, `samples` per pixel, from value(x, y, sample).
std::vector<std::vector<uint8_t>> rows(int bits, int samples,
                                       const std::function<unsigned(int, int, int)>& value) {
  std::vector<std::vector<uint8_t>> out(H);
  for (int y = 0; y < H; ++y) {
    auto& row = out[y];
    row.assign((W * samples * bits + 7) / 8, 0);
    int bit = 0;
    for (int x = 0; x < W; ++x)
      for (int s = 0; s < samples; ++s, bit += bits) {
        const unsigned v = value(x, y, s);
        if (bits == 16) {
          row[bit / 8] = static_cast<uint8_t>(v >> 8);
          row[bit / 8 + 1] = static_cast<uint8_t>(v);
        } else {
          row[bit / 8] |= static_cast<uint8_t>(v << (8 - bits - bit % 8));
        }
      }
  }
  return out;
}

Png_Picture picture(int color_type, int bits, int samples,
                    const std::function<unsigned(int, int, int)>& value) {
  Png_Picture p;
  p.width = W;
  p.height = H;
  p.color_type = color_type;
  p.bit_depth = bits;
  p.rows = rows(bits, samples, value);
  return p;
}

std::vector<Rgba> sixteen_colours() {
  std::vector<Rgba> palette;
  for (int i = 0; i < 16; ++i)
    palette.push_back({level(i, 0, 1), level(i, 1, 2), level(i, 2, 3),
                       static_cast<uint8_t>(i * 17)});
  return palette;
}

using PngLoader = PictureLoaderTest;

TEST_F(PngLoader, TrueColourWithAndWithoutAlpha) {
  ASSERT_TRUE(load(png_file(picture(PNG_COLOR_TYPE_RGBA, 8, 4,
                                    [](int x, int y, int s) { return level(x, y, s); })),
                   "rgba.png", "png"))
      << imageloader_error();
  expect_picture(W, H, [](int x, int y) {
    return Rgba{level(x, y, 0), level(x, y, 1), level(x, y, 2), level(x, y, 3)};
  });
  ASSERT_TRUE(load(png_file(picture(PNG_COLOR_TYPE_RGB, 8, 3,
                                    [](int x, int y, int s) { return level(x, y, s); })),
                   "rgb.png", "png"));
  expect_picture(W, H, [](int x, int y) {
    return Rgba{level(x, y, 0), level(x, y, 1), level(x, y, 2), 255};
  });
}

TEST_F(PngLoader, SixteenBitSamplesKeepTheirHighByte) {
  ASSERT_TRUE(load(png_file(picture(PNG_COLOR_TYPE_RGBA, 16, 4,
                                    [](int x, int y, int s) { return level(x, y, s) << 8 | 0xA5; })),
                   "deep.png", "png"));
  expect_picture(W, H, [](int x, int y) {
    return Rgba{level(x, y, 0), level(x, y, 1), level(x, y, 2), level(x, y, 3)};
  });
}

TEST_F(PngLoader, GreyOfEveryDepthBecomesOpaqueGrey) {
  for (int bits : {1, 2, 4, 8, 16}) {
    SCOPED_TRACE(bits);
    const unsigned top = (1u << bits) - 1;
    ASSERT_TRUE(load(png_file(picture(PNG_COLOR_TYPE_GRAY, bits, 1,
                                      [&](int x, int y, int) { return (x * 7 + y * 3) % (top + 1); })),
                     "grey.png", "png"));
    expect_picture(W, H, [&](int x, int y) {
      const unsigned v = (x * 7 + y * 3) % (top + 1);
      const auto g = static_cast<uint8_t>(bits == 16 ? v >> 8 : v * 255 / top);
      return Rgba{g, g, g, 255};
    });
  }
}

TEST_F(PngLoader, GreyWithAlphaAndColourKeys) {
  ASSERT_TRUE(load(png_file(picture(PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2,
                                    [](int x, int y, int s) { return level(x, y, s); })),
                   "ga.png", "png"));
  expect_picture(W, H, [](int x, int y) {
    return Rgba{level(x, y, 0), level(x, y, 0), level(x, y, 0), level(x, y, 1)};
  });

  // RGB with a tRNS colour key: that colour becomes transparent, the rest opaque.
  Png_Picture keyed = picture(PNG_COLOR_TYPE_RGB, 8, 3,
                              [](int x, int, int s) { return x % 2 == 0 ? 10 + s : 200; });
  keyed.transparent = {10, 11, 12};
  ASSERT_TRUE(load(png_file(keyed), "keyed.png", "png"));
  expect_picture(W, H, [](int x, int) {
    return x % 2 == 0 ? Rgba{10, 11, 12, 0} : Rgba{200, 200, 200, 255};
  });
}

TEST_F(PngLoader, PalettesWithTransparency) {
  const auto palette = sixteen_colours();
  for (int bits : {4, 8}) {
    SCOPED_TRACE(bits);
    Png_Picture p = picture(PNG_COLOR_TYPE_PALETTE, bits, 1,
                            [](int x, int y, int) { return (x + 2 * y) % 16; });
    p.palette = palette;
    ASSERT_TRUE(load(png_file(p), "palette.png", "png")) << imageloader_error();
    expect_picture(W, H, [&](int x, int y) { return palette[(x + 2 * y) % 16]; });
  }
}

TEST_F(PngLoader, InterlacedPictures) {
  Png_Picture rgba = picture(PNG_COLOR_TYPE_RGBA, 8, 4,
                             [](int x, int y, int s) { return level(x, y, s); });
  rgba.interlaced = true;
  ASSERT_TRUE(load(png_file(rgba), "adam7.png", "png"));
  expect_picture(W, H, [](int x, int y) {
    return Rgba{level(x, y, 0), level(x, y, 1), level(x, y, 2), level(x, y, 3)};
  });
  const auto palette = sixteen_colours();
  Png_Picture indexed = picture(PNG_COLOR_TYPE_PALETTE, 2, 1,
                                [](int x, int y, int) { return (x + y) % 4; });
  indexed.palette = {palette.begin(), palette.begin() + 4};
  indexed.interlaced = true;
  ASSERT_TRUE(load(png_file(indexed), "adam7-indexed.png", "png"));
  expect_picture(W, H, [&](int x, int y) { return palette[(x + y) % 4]; });
}

TEST_F(PngLoader, FirstSurfaceRowIsTheBottomOfThePicture) {
  Png_Picture p;
  p.width = 1;
  p.height = 2;
  p.color_type = PNG_COLOR_TYPE_RGB;
  p.rows = {{255, 0, 0}, {0, 0, 255}};  // red above blue
  ASSERT_TRUE(load(png_file(p), "two.png", "png"));
  const auto* data = static_cast<const uint8_t*>(surface()->_get_surface_data());
  EXPECT_EQ(std::vector<uint8_t>(data, data + 4), (std::vector<uint8_t>{0, 0, 255, 255}));
  const uint8_t* second = data + surface()->_get_pitch();
  EXPECT_EQ(std::vector<uint8_t>(second, second + 4), (std::vector<uint8_t>{255, 0, 0, 255}));
}

TEST_F(PngLoader, ReplacesOnlyWhenTheFlagSaysSo) {
  const std::string bytes = png_file(picture(PNG_COLOR_TYPE_GRAY, 8, 1, [](int, int, int) { return 9; }));
  ASSERT_TRUE(load(bytes, "a.png", "png"));
  ASSERT_TRUE(load(bytes, "a.png", "png", 1));
  EXPECT_EQ(video_->surfaces_created, 2);
  EXPECT_FALSE(load(bytes, "a.png", "png", 0));
  EXPECT_NE(imageloader_error().find("Surface already exist: "), std::string::npos)
      << imageloader_error();
  video_->reset();
  video_->refuse_next_surface = true;
  expect_refused(bytes, "a.png", "png", "refused for the test");
  EXPECT_FALSE(imageloader_loadimage("png", "NoSuchVideo", dir_.file("a.png"), "scene", "pic",
                                     &files_, 1));
  EXPECT_NE(imageloader_error().find("no video driver \"NoSuchVideo\""), std::string::npos);
}

// A picture saved anew goes into the surfaces loaded from it; a surface removed since is not
// made again.
TEST_F(PngLoader, AReloadRefillsTheSurfacesOfTheFile) {
  auto grey = [](unsigned level) {
    return png_file(picture(PNG_COLOR_TYPE_GRAY, 8, 1, [level](int, int, int) { return level; }));
  };
  ASSERT_TRUE(load(grey(9), "a.png", "png"));
  dir_.write("a.png", grey(200));
  int reloaded = -1;
  EXPECT_TRUE(imageloader_reload(dir_.path() + "/./a.png", &reloaded));
  EXPECT_EQ(reloaded, 1);
  expect_picture(W, H, [](int, int) { return Rgba{200, 200, 200, 255}; });
  EXPECT_TRUE(imageloader_reload(dir_.file("b.png"), &reloaded));
  EXPECT_EQ(reloaded, 0);
  ASSERT_TRUE(video_->_remove_surface("pic", "scene"));
  EXPECT_TRUE(imageloader_reload(dir_.file("a.png"), &reloaded));
  EXPECT_EQ(reloaded, 0);
  EXPECT_EQ(surface(), nullptr);
}

TEST_F(PngLoader, BrokenFilesAreRefusedWithAReason) {
  const std::string good = png_file(picture(PNG_COLOR_TYPE_RGBA, 8, 4,
                                            [](int x, int y, int s) { return level(x, y, s); }));
  expect_refused("", "empty.png", "png", "the file is empty");
  expect_refused(good.substr(0, good.size() / 2), "half.png", "png", "ends too early");
  expect_refused(good.substr(0, 30), "header-only.png", "png", "ends too early");
  std::string corrupt = good;
  corrupt[good.size() / 2] ^= 0x55;
  expect_refused(corrupt, "corrupt.png", "png", "broken");
  expect_refused(jpeg_file(8, 8, 1, std::vector<uint8_t>(64, 100)), "photo.png", "png",
                 "not a PNG file");
  expect_refused("GIF89a", "text.png", "png", "not a PNG file");

  std::string huge = good;
  set_png_size(huge, 100000, 100000);
  expect_refused(huge, "huge.png", "png", "too big (100000 x 100000 pixels");
  std::string wide = good;
  set_png_size(wide, 20000, 1);
  expect_refused(wide, "wide.png", "png", "too big");

  EXPECT_FALSE(imageloader_loadimage("png", "TestVideo", dir_.file("missing.png"), "scene", "pic",
                                     &files_, 1));
  EXPECT_NE(imageloader_error().find("can't open the file"), std::string::npos) << imageloader_error();
  EXPECT_FALSE(imageloader_loadimage("png", "TestVideo", dir_.write("x.png", good), "s", "p",
                                     nullptr, 1));
}

// The checker loads pictures without keeping their pixels: each is decoded whole, so a broken one
// is refused with the reason it has when kept, and a sound one gives a blank surface of its size.
TEST_F(PngLoader, PicturesNotKeptAreDecodedAndRefusedAlike) {
  struct KeepAgain {
    ~KeepAgain() { imageloader_keep_pixels(true); }
  } keep_again;
  Png_Picture sound =
      picture(PNG_COLOR_TYPE_RGBA, 8, 4, [](int x, int y, int s) { return level(x, y, s); });
  const std::string good = png_file(sound);
  std::string corrupt = good, no_pixels = good;
  corrupt[good.size() / 2] ^= 0x55;
  set_png_size(no_pixels, 0, H);
  for (const std::string& bytes : {good.substr(0, good.size() / 2), corrupt, no_pixels,
                                   std::string("GIF89a")}) {
    imageloader_keep_pixels(true);
    EXPECT_FALSE(load(bytes, "broken.png", "png"));
    const std::string kept = imageloader_error();
    imageloader_keep_pixels(false);
    EXPECT_FALSE(load(bytes, "broken.png", "png"));
    EXPECT_EQ(imageloader_error(), kept);
    EXPECT_EQ(surface(), nullptr);
  }
  sound.interlaced = true;
  for (const std::string& bytes : {good, png_file(sound)}) {
    ASSERT_TRUE(load(bytes, bytes == good ? "plain.png" : "interlaced.png", "png"))
        << imageloader_error();
    expect_picture(W, H, [](int, int) { return Rgba{0, 0, 0, 0}; });
  }
}

// Loading by name once ended every broken picture with "X.png.png": can't open the file.
TEST_F(PngLoader, ByNameABrokenPictureKeepsItsOwnReason) {
  const std::string good = png_file(picture(PNG_COLOR_TYPE_RGBA, 8, 4,
                                            [](int x, int y, int s) { return level(x, y, s); }));
  for (auto [bytes, reason] : {std::pair<std::string, std::string>{"", "the file is empty"},
                               {good.substr(0, good.size() / 2), "ends too early"},
                               {"GIF89a", "not a PNG file"}}) {
    const std::string file = dir_.write("broken.png", bytes);
    imageloader_seterror("");
    EXPECT_FALSE(imageloader_loadimage_noext("TestVideo", file, "scene", "pic", &files_, 1));
    EXPECT_NE(imageloader_error().find(reason), std::string::npos) << imageloader_error();
    EXPECT_EQ(imageloader_error().find("broken.png.png"), std::string::npos) << imageloader_error();
  }
  // A missing file still tells of the names tried last.
  EXPECT_FALSE(imageloader_loadimage_noext("TestVideo", dir_.file("gone.png"), "scene", "pic", &files_, 1));
  EXPECT_NE(imageloader_error().find("gone.png.png"), std::string::npos) << imageloader_error();
}

TEST_F(PngLoader, ModuleNameAndReloadAfterRemoval) {
  auto entry = reinterpret_cast<Get_Imageloader_Func>(
      module_get("libgrisk_png")->_symbol_get("_get_imageloader"));
  ASSERT_NE(entry, nullptr);
  Image_Loader* loader = entry();
  EXPECT_EQ(loader->get_module_name(), "libgrisk_png");
  EXPECT_EQ(loader->get_version(), "1.0");
  delete loader;

  const std::string bytes = png_file(picture(PNG_COLOR_TYPE_GRAY, 8, 1, [](int, int, int) { return 7; }));
  EXPECT_TRUE(imageloader_remove("png"));
  EXPECT_FALSE(load(bytes, "r.png", "png"));
  ASSERT_TRUE(imageloader_create("png", "libgrisk_png", false)) << imageloader_error();
  EXPECT_TRUE(load(bytes, "r.png", "png"));
  EXPECT_TRUE(imageloader_loadimage_noext("TestVideo", dir_.file("r"), "scene", "pic", &files_, 1))
      << imageloader_error();
}

}  // namespace
