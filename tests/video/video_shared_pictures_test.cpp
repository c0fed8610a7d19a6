// Surfaces loaded from the same picture file share one pixel copy and one texture, on the real
// OpenGL driver plug-in and the PNG loader, checked by the frame's pixels and by counts.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "opengl_video.h"
#include "vistrel/imageloader.h"
#include "xserver.h"

namespace {

const int kWidth = 320, kHeight = 240;
const std::string RED = std::string(TARNVALE_TEST_DATA) + "/ui/red.png";      // 64 x 32
const std::string GREEN = std::string(TARNVALE_TEST_DATA) + "/ui/green.png";  // 64 x 32

struct Pixel {
  int r, g, b;
};

class SharedPictures : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    std::string error;
    if (!test_support::ensure_x_server(&error)) return;
    config_create("SharingVideo", "libquorra", true);
    Config_Interface* settings = config_get_interface("SharingVideo");
    for (auto [key, value] : {std::pair<const char*, std::string>{"Width", std::to_string(kWidth)},
                              {"Height", std::to_string(kHeight)},
                              {"BaseHeight", std::to_string(kHeight)},
                              {"FullScreen", "no"}})
      settings->set_value(std::string("Video->") + key, value, true);
    std::string params[] = {"SharingVideo", "Video->", "VX_Video"};
    if (!video_create("Sharing", "libGL_tessar", params, 3, 0)) return;
    video_get_interface("Sharing")->_init();
    imageloader_create("png", "libgrisk_png", true);
  }

  void SetUp() override {
    REQUIRE_X_SERVER();
    video = static_cast<OpenGL_Video*>(video_get_interface("Sharing"));
    ASSERT_NE(video, nullptr) << video_error();
    ASSERT_TRUE(video->has_window());
    files.register_brannow(Brannow::CreatePosixFile);
    frame.assign(kWidth * kHeight * 4, 0);
    video->set_before_swap([this] {
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadBuffer(GL_BACK);
      glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
    });
  }

  void TearDown() override {
    if (video == nullptr) return;
    video->set_before_swap(nullptr);
    video->_deinit();
    video->_init();
  }

  bool load(const std::string& file, const std::string& name, const std::string& group, int flag = 1) {
    return imageloader_loadimage("png", "Sharing", file, group, name, &files, flag);
  }

  // A sprite `name` of the surface (name, group), its lower left corner at pixel (x, y).
  Video_Sprite* place(const std::string& name, const std::string& group, int x, int y) {
    EXPECT_TRUE(video->_create_sprite(name, group, name, group, true)) << video->_get_error();
    Video_Sprite* sprite = video->_get_sprite(name, group);
    sprite->_set_coord(2.0 * x / kWidth - 1, 2.0 * y / kHeight - 1);
    return sprite;
  }

  // Pixel (x, y) of the last frame, y from the bottom.
  Pixel at(int x, int y) const {
    const unsigned char* p = frame.data() + (static_cast<size_t>(y) * kWidth + x) * 4;
    return {p[0], p[1], p[2]};
  }

  OpenGL_Video* video = nullptr;
  Brannow::FileManager files{100};
  std::vector<unsigned char> frame;
};

#define EXPECT_PIXEL(pixel, R, G, B)      \
  do {                                    \
    const Pixel p__ = (pixel);            \
    EXPECT_NEAR(p__.r, (R), 3);           \
    EXPECT_NEAR(p__.g, (G), 3);           \
    EXPECT_NEAR(p__.b, (B), 3);           \
  } while (0)

TEST_F(SharedPictures, OneFileLoadedUnderManyNamesKeepsOnePixelCopyAndEachName) {
  ASSERT_TRUE(load(RED, "a", "g")) << imageloader_error();
  ASSERT_TRUE(load(RED, "b", "g")) << imageloader_error();
  ASSERT_TRUE(load(RED, "c", "other")) << imageloader_error();
  ASSERT_TRUE(load(GREEN, "d", "g")) << imageloader_error();
  Video_Surface* a = video->_get_surface("a", "g");
  Video_Surface* b = video->_get_surface("b", "g");
  Video_Surface* c = video->_get_surface("c", "other");
  Video_Surface* d = video->_get_surface("d", "g");
  ASSERT_TRUE(a && b && c && d);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->_get_surface_data(), b->_get_surface_data());
  EXPECT_EQ(a->_get_surface_data(), c->_get_surface_data());
  EXPECT_NE(a->_get_surface_data(), d->_get_surface_data());
  EXPECT_EQ(a->_get_pixels().use_count(), 3);
  for (Video_Surface* s : {b, c}) {
    EXPECT_EQ(s->_get_width(), 64);
    EXPECT_EQ(s->_get_height(), 32);
    EXPECT_EQ(s->_get_pitch(), 256);
  }

  // Names stay apart: a taken name is refused with the driver's message, even for the same file.
  EXPECT_FALSE(load(RED, "b", "g", 0));
  EXPECT_NE(imageloader_error().find("Surface already exist: b"), std::string::npos) << imageloader_error();
  // Another picture loaded over a shared name leaves the others showing the first.
  ASSERT_TRUE(load(GREEN, "b", "g"));
  EXPECT_EQ(video->_get_surface("b", "g")->_get_surface_data(), d->_get_surface_data());
  EXPECT_EQ(a->_get_surface_data(), c->_get_surface_data());
}

TEST_F(SharedPictures, AFieldOfSurfacesFromTwoFilesDrawsWithOneBindPerPicture) {
  // Twenty surfaces, alternately from the two files, each with a sprite in a row of its own place.
  for (int i = 0; i < 20; ++i) {
    const std::string name = "s" + std::to_string(i);
    ASSERT_TRUE(load(i % 2 ? GREEN : RED, name, "g")) << imageloader_error();
    video->_draw_sprite(place(name, "g", (i % 4) * 70, (i / 4) * 40));
  }
  video->_flip();
  EXPECT_EQ(video->sprite_binds(), 2);
  for (int i = 0; i < 20; ++i) {
    SCOPED_TRACE("sprite " + std::to_string(i));
    const int x = (i % 4) * 70 + 32, y = (i / 4) * 40 + 16;
    EXPECT_PIXEL(at(x, y), i % 2 ? 0 : 255, i % 2 ? 255 : 0, 0);
  }

  // A sharer drawn without blending is a batch of its own.
  video->_get_surface("s2", "g")->_set_alpha_status(ALPHA_OPAQUE);
  for (int i = 0; i < 20; ++i) video->_draw_sprite(video->_get_sprite("s" + std::to_string(i), "g"));
  video->_flip();
  EXPECT_EQ(video->sprite_binds(), 3);
  EXPECT_PIXEL(at(140 + 32, 16), 255, 0, 0);
}

TEST_F(SharedPictures, ASharerOfAnotherGroupKeepsItsPlaceInTheDrawingOrder) {
  // The field's red sprite, a green panel over it, and a window's red sprite over the panel.
  ASSERT_TRUE(load(RED, "field", "game")) << imageloader_error();
  ASSERT_TRUE(load(GREEN, "panel", "game")) << imageloader_error();
  ASSERT_TRUE(load(RED, "button", "window")) << imageloader_error();
  video->_draw_sprite(place("field", "game", 10, 10));
  video->_draw_sprite(place("panel", "game", 100, 100));
  video->_draw_sprite(place("button", "window", 110, 110));
  video->_flip();
  EXPECT_PIXEL(at(130, 120), 255, 0, 0);  // the window's sprite over the panel
  EXPECT_PIXEL(at(105, 105), 0, 255, 0);
  EXPECT_PIXEL(at(20, 20), 255, 0, 0);
}

TEST_F(SharedPictures, RemovingOneNameKeepsThePictureForTheOthersUntilTheLastGoes) {
  ASSERT_TRUE(load(RED, "a", "g"));
  ASSERT_TRUE(load(RED, "b", "g"));
  Video_Sprite* a = place("a", "g", 0, 0);
  Video_Sprite* b = place("b", "g", 100, 100);
  video->_draw_sprite(a);
  video->_draw_sprite(b);
  video->_flip();  // uploaded once, through "a"
  const unsigned texture = static_cast<OpenGL_Surface*>(video->_get_surface("b", "g"))->texture();
  ASSERT_NE(texture, 0u);

  ASSERT_TRUE(video->_remove_surface("a", "g"));
  EXPECT_TRUE(glIsTexture(texture));
  video->_draw_sprite(a);  // its surface is gone: skipped
  video->_draw_sprite(b);
  video->_flip();
  EXPECT_PIXEL(at(10, 10), 0, 0, 0);
  EXPECT_PIXEL(at(132, 116), 255, 0, 0);

  // Loading the file again while "b" shows it shares it again.
  ASSERT_TRUE(load(RED, "a", "g"));
  EXPECT_EQ(video->_get_surface("a", "g")->_get_surface_data(),
            video->_get_surface("b", "g")->_get_surface_data());
  video->_draw_sprite(a);  // relinked to the new surface
  video->_flip();
  EXPECT_PIXEL(at(10, 10), 255, 0, 0);

  ASSERT_TRUE(video->_remove_surface("a", "g"));
  ASSERT_TRUE(video->_remove_surface("b", "g"));
  EXPECT_FALSE(glIsTexture(texture));
  EXPECT_EQ(video_find_picture(video, "anything"), nullptr);
}

TEST_F(SharedPictures, WritingThroughACreatedSurfaceNeverChangesTheSharedPicture) {
  ASSERT_TRUE(load(RED, "a", "g"));
  ASSERT_TRUE(load(RED, "b", "g"));
  // _create gives a surface pixels of its own again.
  Video_Surface* b = video->_get_surface("b", "g");
  ASSERT_TRUE(b->_create(64, 32));
  EXPECT_NE(b->_get_surface_data(), video->_get_surface("a", "g")->_get_surface_data());
  static_cast<unsigned char*>(b->_get_surface_data())[0] = 7;
  EXPECT_EQ(static_cast<unsigned char*>(video->_get_surface("a", "g")->_get_surface_data())[0], 255);
}

}  // namespace
