// Sprites drawn by the OpenGL driver, checked by the pixels of the frame.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>
extern "C" void* glfwGetX11Display(void);
extern "C" unsigned long glfwGetX11Window(GLFWwindow* window);
bool read_window_pixel(void* display, unsigned long window, int x, int y, unsigned char rgb[3]);

#include <chrono>
#include <thread>

#include "process.h"
#include "video_fixture.h"
#include "xserver.h"

namespace {

using video_test::FrameGrabber;
using video_test::Rgba;
using video_test::fill_surface;
using video_test::open_driver;

const Rgba kBlack{0, 0, 0, 0};

// A 64 x 64 surface whose bottom 32 rows are red and top 32 rows green.
void make_two_tone(OpenGL_Video& video, const std::string& name) {
  ASSERT_TRUE(video._create_surface(64, 64, name, "g", false));
  Video_Surface* surface = video._get_surface(name, "g");
  auto* data = static_cast<unsigned char*>(surface->_get_surface_data());
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      unsigned char* p = data + y * surface->_get_pitch() + x * 4;
      p[0] = y < 32 ? 255 : 0;
      p[1] = y < 32 ? 0 : 255;
      p[3] = 255;
    }
  surface->_mark_dirty();
}

Video_Sprite* make_sprite(OpenGL_Video& video, const std::string& name, const std::string& surface) {
  EXPECT_TRUE(video._create_sprite(name, "g", surface, "g", false)) << video._get_error();
  return video._get_sprite(name, "g");
}

void make_solid(OpenGL_Video& video, const std::string& name, int w, int h, Rgba colour,
                ALPHASTATE status = ALPHA_BLENDED) {
  ASSERT_TRUE(video._create_surface(w, h, name, "g", true));
  fill_surface(video._get_surface(name, "g"), colour);
  video._get_surface(name, "g")->_set_alpha_status(status);
}

class Render : public ::testing::Test {
protected:
  void SetUp() override { REQUIRE_X_SERVER(); }

  // Opens the driver's window (settings as open_driver) and reads its frames back.
  void open(int width, int height, std::map<std::string, std::string> extra = {}) {
    video = open_driver(width, height, std::move(extra));
    ASSERT_TRUE(video);
    frame = std::make_unique<FrameGrabber>(*video);
  }

  std::unique_ptr<OpenGL_Video> video;
  std::unique_ptr<FrameGrabber> frame;  // declared after the driver it reads from
};

TEST_F(Render, QuadCornersAndBottomRowFirst) {
  ASSERT_NO_FATAL_FAILURE(open(800, 600));
  make_two_tone(*video, "tone");
  Video_Sprite* sprite = make_sprite(*video, "sp", "tone");
  sprite->_set_coord(0, 0);
  ASSERT_TRUE(video->_draw_sprite(sprite));
  frame->flip();
  // x 0 .. 0.16 is pixels 400 .. 463, y 0 .. 0.2133 is rows 300 .. 363.
  EXPECT_RGB_NEAR(frame->at(401, 301), 255, 0, 0);  // row 0 of the surface at the bottom
  EXPECT_RGB_NEAR(frame->at(462, 330), 255, 0, 0);
  EXPECT_RGB_NEAR(frame->at(401, 362), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(462, 334), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(399, 301), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(465, 301), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(401, 299), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(401, 365), 0, 0, 0);

  // The next frame starts cleared: nothing queued, nothing drawn.
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(420, 320), 0, 0, 0);
}

TEST_F(Render, BasePointInFractionsAndPixels) {
  ASSERT_NO_FATAL_FAILURE(open(800, 600));
  make_two_tone(*video, "tone");
  Video_Sprite* sprite = make_sprite(*video, "sp", "tone");
  sprite->_set_base_point(0.5, 0.5);  // centred on (0, 0): pixels 368 .. 431, rows 268 .. 331
  video->_draw_sprite(sprite);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(369, 269), 255, 0, 0);
  EXPECT_RGB_NEAR(frame->at(430, 330), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(366, 300), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(433, 300), 0, 0, 0);

  sprite->_set_base_point(16, 8);  // pixels: 384 .. 447, rows 292 .. 355
  video->_draw_sprite(sprite);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(385, 293), 255, 0, 0);
  EXPECT_RGB_NEAR(frame->at(382, 293), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(385, 290), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(446, 354), 0, 255, 0);
}

TEST_F(Render, QuarterTurnAboutTheBasePoint) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  make_two_tone(*video, "tone");
  Video_Sprite* sprite = make_sprite(*video, "sp", "tone");
  sprite->_set_rotation(90);
  video->_draw_sprite(sprite);
  frame->flip();
  // Turned counter-clockwise about its lower-left corner: x -0.64 .. 0, y 0 .. 0.64, with the
  // surface's bottom rows (red) along the right edge and its top rows (green) on the left.
  EXPECT_RGB_NEAR(frame->at(98, 110), 255, 0, 0);
  EXPECT_RGB_NEAR(frame->at(40, 110), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(70, 95), 0, 0, 0);   // below
  EXPECT_RGB_NEAR(frame->at(110, 110), 0, 0, 0);  // right of the base point
  EXPECT_RGB_NEAR(frame->at(30, 110), 0, 0, 0);   // beyond the far edge (x < -0.64)
}

TEST_F(Render, SpriteScaleAppliesToThePositionToo) {
  ASSERT_NO_FATAL_FAILURE(open(800, 600));
  make_solid(*video, "white", 64, 64, {255, 255, 255, 255});
  Video_Sprite* sprite = make_sprite(*video, "sp", "white");
  sprite->_set_coord(0.1, 0.1);
  sprite->_set_scale(2, 0.5);
  video->_draw_sprite(sprite);
  frame->flip();
  // x (0.1 .. 0.26) * 2 = 0.2 .. 0.52 -> pixels 480 .. 608; y (0.1 .. 0.3133) * 0.5 -> rows 315 .. 347
  EXPECT_RGB_NEAR(frame->at(482, 317), 255, 255, 255);
  EXPECT_RGB_NEAR(frame->at(606, 345), 255, 255, 255);
  EXPECT_RGB_NEAR(frame->at(477, 330), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(611, 330), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(500, 350), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(500, 312), 0, 0, 0);
}

TEST_F(Render, DriverScaleFromBaseHeight) {
  ASSERT_NO_FATAL_FAILURE(open(800, 600, {{"BaseHeight", "300"}}));
  EXPECT_DOUBLE_EQ(video->_get_scale(), 2.0);
  make_solid(*video, "white", 64, 64, {255, 255, 255, 255});
  Video_Sprite* sprite = make_sprite(*video, "sp", "white");
  video->_draw_sprite(sprite);
  frame->flip();
  // Every vertex doubled: x 0 .. 0.32 (pixels 400 .. 528), y 0 .. 0.4267 (rows 300 .. 428).
  EXPECT_RGB_NEAR(frame->at(526, 426), 255, 255, 255);
  EXPECT_RGB_NEAR(frame->at(531, 426), 0, 0, 0);
  EXPECT_RGB_NEAR(frame->at(526, 431), 0, 0, 0);
  VideoRect rect;
  sprite->_get_rectangle(&rect);
  EXPECT_DOUBLE_EQ(rect.x2, 0.32);
}

TEST_F(Render, AlphaBlendColourAndOpaqueSurfaces) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  make_solid(*video, "blue", 200, 200, {0, 0, 255, 255}, ALPHA_OPAQUE);
  make_solid(*video, "white", 40, 40, {255, 255, 255, 255});
  make_solid(*video, "clear_red", 40, 40, {255, 0, 0, 0}, ALPHA_OPAQUE);
  make_solid(*video, "clear_green", 40, 40, {0, 255, 0, 0});
  Video_Sprite* back = make_sprite(*video, "back", "blue");
  back->_set_coord(-1, -1);
  Video_Sprite* tinted = make_sprite(*video, "tinted", "white");
  tinted->_set_alpha(0.5f);
  tinted->_set_blend_color(0, 1, 0);
  Video_Sprite* opaque = make_sprite(*video, "opaque", "clear_red");
  opaque->_set_coord(-0.8, -0.8);
  Video_Sprite* invisible = make_sprite(*video, "invisible", "clear_green");
  invisible->_set_coord(0.5, 0.5);
  for (Video_Sprite* s : {back, tinted, opaque, invisible}) video->_draw_sprite(s);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(110, 110), 0, 128, 128);  // half green over blue
  EXPECT_RGB_NEAR(frame->at(30, 30), 255, 0, 0);      // alpha 0 but drawn without blending
  EXPECT_RGB_NEAR(frame->at(160, 160), 0, 0, 255);    // alpha 0 blended away
  EXPECT_RGB_NEAR(frame->at(180, 60), 0, 0, 255);
}

TEST_F(Render, BatchesBySurfaceInQueueOrder) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  make_solid(*video, "one", 40, 40, {255, 0, 0, 255});
  make_solid(*video, "two", 40, 40, {0, 255, 0, 255});
  Video_Sprite* a = make_sprite(*video, "a", "one");
  Video_Sprite* b = make_sprite(*video, "b", "two");
  Video_Sprite* c = make_sprite(*video, "c", "one");
  c->_set_coord(0.2, 0);  // overlaps b only on the right half of b
  for (Video_Sprite* s : {a, b, c}) video->_draw_sprite(s);
  frame->flip();
  // a and c (surface one) are drawn first, then b over both.
  EXPECT_RGB_NEAR(frame->at(105, 105), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(135, 105), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(145, 105), 255, 0, 0);

  // A sprite queued twice is drawn once: half white over black stays half.
  make_solid(*video, "white", 40, 40, {255, 255, 255, 255});
  Video_Sprite* half = make_sprite(*video, "half", "white");
  half->_set_alpha(0.5f);
  video->_draw_sprite(half);
  video->_draw_sprite(half);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(110, 110), 128, 128, 128);
}

TEST_F(Render, DirtySurfacesAreUploadedAgain) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  make_solid(*video, "s", 32, 32, {255, 0, 0, 255});
  Video_Sprite* sprite = make_sprite(*video, "sp", "s");
  video->_draw_sprite(sprite);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(110, 110), 255, 0, 0);
  EXPECT_FALSE(video->_get_surface("s", "g")->_is_dirty());

  // Changed pixels without the mark keep the old texture; with it they show.
  auto* data = static_cast<unsigned char*>(video->_get_surface("s", "g")->_get_surface_data());
  for (int i = 0; i < 32 * 32 * 4; i += 4) data[i] = 0, data[i + 2] = 255;
  video->_draw_sprite(sprite);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(110, 110), 255, 0, 0);
  video->_get_surface("s", "g")->_mark_dirty();
  video->_draw_sprite(sprite);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(110, 110), 0, 0, 255);
}

TEST_F(Render, SpritesFollowReplacedAndLateSurfaces) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  // A sprite made before its surface is skipped until the surface exists.
  Video_Sprite* late = make_sprite(*video, "late", "later");
  late->_set_coord(-1, -1);
  video->_draw_sprite(late);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(5, 5), 0, 0, 0);
  make_solid(*video, "later", 20, 20, {0, 255, 0, 255});
  video->_draw_sprite(late);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(5, 5), 0, 255, 0);
  EXPECT_RGB_NEAR(frame->at(25, 5), 0, 0, 0);

  // A surface replaced under a sprite (new text, new size) is drawn at its new size.
  make_solid(*video, "later", 40, 20, {255, 0, 0, 255});
  video->_draw_sprite(late);
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(35, 5), 255, 0, 0);
  EXPECT_EQ(late->_get_width(), 40);

  // A displaced sprite that was queued is neither drawn nor kept.
  video->_draw_sprite(late);
  ASSERT_TRUE(video->_create_sprite("late", "g", "missing", "g", true));
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(5, 5), 0, 0, 0);
}

TEST_F(Render, PolygonsAreWhiteOutlines) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  // Vertices on pixel centres, so the outline falls on known rows and columns.
  video->_draw_polygon({{-0.495, -0.495}, {0.505, -0.495}, {0.505, 0.505}, {-0.495, 0.505}});
  frame->flip();
  EXPECT_RGB_NEAR(frame->at(100, 50), 255, 255, 255);
  EXPECT_RGB_NEAR(frame->at(50, 100), 255, 255, 255);
  EXPECT_RGB_NEAR(frame->at(100, 100), 0, 0, 0);  // outline only
}

TEST_F(Render, MissingCursorSpriteIsReportedEachFrame) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  make_solid(*video, "s", 20, 20, {255, 0, 0, 255});
  video->_set_cursor_sprite("nocursor", "g");
  video->_draw_sprite(make_sprite(*video, "sp", "s"));
  ::testing::internal::CaptureStderr();
  frame->flip();
  frame->flip();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "Can't get sprite:Sprite not exist: nocursor\nCan't get sprite:Sprite not exist: nocursor\n");
  EXPECT_RGB_NEAR(frame->at(105, 105), 0, 0, 0);  // second frame had nothing queued
}

TEST_F(Render, CursorSpriteFollowsTheMouse) {
  ASSERT_NO_FATAL_FAILURE(open(200, 200));
  make_solid(*video, "arrow", 10, 10, {255, 255, 0, 255});
  make_sprite(*video, "cursor", "arrow");
  video->_set_cursor_sprite("cursor", "g");
  glfwSetCursorPos(video->window(), 50, 150);
  frame->flip();
  double x = 0, y = 0;
  video->_get_mouse_position(&x, &y);
  EXPECT_DOUBLE_EQ(x, -0.5);
  EXPECT_DOUBLE_EQ(y, -0.5);
  EXPECT_RGB_NEAR(frame->at(52, 52), 255, 255, 0);
  EXPECT_RGB_NEAR(frame->at(48, 52), 0, 0, 0);
}

TEST_F(Render, FrameLimiterWaits) {
  using std::chrono::duration_cast;
  using std::chrono::milliseconds;
  for (const char* at_once : {"no", "yes"}) {
    auto video = open_driver(100, 100, {{"LimitFPS", "50"}, {"FirstFrameAtOnce", at_once}});
    ASSERT_TRUE(video);
    const auto opened = std::chrono::steady_clock::now();
    video->_flip();
    // By default the first frame, too, waits for the limit, counted from the window's making.
    if (std::string(at_once) == "no") {
      EXPECT_GE(duration_cast<milliseconds>(std::chrono::steady_clock::now() - opened).count(), 19);
    }
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) video->_flip();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(duration_cast<milliseconds>(elapsed).count(), 398) << at_once;
  }
}

TEST_F(Render, NothingBreaksAfterDeinit) {
  auto video = open_driver(200, 200);
  ASSERT_TRUE(video);
  make_solid(*video, "s", 20, 20, {255, 0, 0, 255});
  Video_Sprite* sprite = make_sprite(*video, "sp", "s");
  video->_draw_sprite(sprite);
  ASSERT_TRUE(video->_create_particles("p", "g", "s", "g", 4, false));
  video->_draw_particles("p", "g", true);
  EXPECT_TRUE(video->_deinit());
  EXPECT_FALSE(video->has_window());
  EXPECT_EQ(video->_get_sprite("sp", "g"), nullptr);
  EXPECT_FALSE(video->_draw_sprite("sp", "g"));
  video->_flip();
  EXPECT_TRUE(video->_create_surface(8, 8, "after", "g", false));
  EXPECT_TRUE(video->_create_sprite("after", "g", "after", "g", false));
  EXPECT_TRUE(video->_draw_sprite("after", "g"));
  video->_flip();
  EXPECT_TRUE(video->_deinit());
}

TEST_F(Render, InitFailsWithoutItsConfiguration) {
  OpenGL_Video video("NoSuchVideoConfig", "Video->");
  EXPECT_FALSE(video._init());
  EXPECT_EQ(video._get_error(), "Can`t get config interface");
}

TEST_F(Render, InitReportsSettingsAndCapabilities) {
  ::testing::internal::CaptureStdout();
  auto video = open_driver(320, 240, {{"VBO", "no"}});
  const std::string out = ::testing::internal::GetCapturedStdout();
  ASSERT_TRUE(video);
  EXPECT_EQ(out.rfind("_w_\t=320\n_h_\t=240\n_DoubleBuffer_\t=1\n_FullScreen_\t=0\nOpenGL info:\n", 0), 0u)
      << out;
  EXPECT_NE(out.find("\nMaxTextureSize "), std::string::npos);
  EXPECT_NE(out.find("\nMax element indeces "), std::string::npos);
  EXPECT_NE(out.find("\n\n\nChecking required extensions:\n"
                     "VBO Disabled. General perfomance will be lost.\nGL_ARB_point_sprite: yes\n"),
            std::string::npos)
      << out;
  EXPECT_FALSE(video->settings().vbo);
  EXPECT_TRUE(video->settings().point_sprite);
}

// What the X server shows at pixel (x, y) of an 800 x 600 window, y from the bottom.
video_test::Rgba shown_at(OpenGL_Video& video, int x, int y) {
  unsigned char rgb[3] = {};
  EXPECT_TRUE(read_window_pixel(glfwGetX11Display(), glfwGetX11Window(video.window()), x, 599 - y, rgb));
  return {rgb[0], rgb[1], rgb[2], 255};
}

TEST_F(Render, AFrameLikeTheShownOneIsNotDrawnAgainWhenAskedAndAnyChangeIsDrawn) {
  ASSERT_NO_FATAL_FAILURE(open(800, 600, {{"SkipUnchangedFrames", "yes"}}));
  make_solid(*video, "white", 64, 64, {255, 255, 255, 255});
  ASSERT_TRUE(video->_create_surface(8, 8, "dot", "g", false));
  fill_surface(video->_get_surface("dot", "g"), {255, 255, 255, 255});
  Video_Sprite* sprite = make_sprite(*video, "sp", "white");
  // Each frame draws the sprite; the figure is how many frames were not drawn so far.
  auto frame_with_sprite = [&] {
    video->_draw_sprite(sprite);
    frame->flip();
    return video->skipped_frames();
  };
  // The window's first exposure after it is mapped may ask for one more drawn frame.
  for (int i = 0; i < 10 && video->skipped_frames() == 0; ++i) frame_with_sprite();
  ASSERT_EQ(video->skipped_frames(), 1);
  EXPECT_EQ(frame_with_sprite(), 2);
  EXPECT_RGB_NEAR(shown_at(*video, 420, 320), 255, 255, 255);  // the window still shows it
  EXPECT_EQ(video->sprite_binds(), 0);

  sprite->_set_coord(-0.5, 0);  // moved: pixels 200 .. 263
  EXPECT_EQ(frame_with_sprite(), 2);
  EXPECT_RGB_NEAR(shown_at(*video, 220, 320), 255, 255, 255);
  EXPECT_RGB_NEAR(shown_at(*video, 420, 320), 0, 0, 0);

  sprite->_set_blend_color(1, 0, 0);
  EXPECT_EQ(frame_with_sprite(), 2);
  EXPECT_RGB_NEAR(shown_at(*video, 220, 320), 255, 0, 0);
  sprite->_set_blend_color(1, 1, 1);
  EXPECT_EQ(frame_with_sprite(), 2);

  // New pixels under the same quad, as a changed text brings: drawn.
  fill_surface(video->_get_surface("white", "g"), {0, 0, 255, 255});
  EXPECT_EQ(frame_with_sprite(), 2);
  EXPECT_RGB_NEAR(shown_at(*video, 220, 320), 0, 0, 255);
  EXPECT_EQ(frame_with_sprite(), 3);

  // Particles are drawn every frame, and the frame after the last one takes them away.
  ASSERT_TRUE(video->_create_particles("p", "g", "dot", "g", 1, false)) << video->_get_error();
  Video_Particles* particles = video->_get_particles("p", "g");
  particles->_set_particle_size(20);
  particles->_set_particle(0, 0.5f, 0.5f, 0, 255, 0, 1.0f);  // pixel (600, 450)
  for (int i = 0; i < 2; ++i) {
    video->_draw_particles("p", "g", false);
    EXPECT_EQ(frame_with_sprite(), 3);
    EXPECT_RGB_NEAR(shown_at(*video, 605, 455), 0, 255, 0);
  }
  EXPECT_EQ(frame_with_sprite(), 3);
  EXPECT_RGB_NEAR(shown_at(*video, 605, 455), 0, 0, 0);
  EXPECT_EQ(frame_with_sprite(), 4);

  // The window unmapped and mapped again loses its contents; the refresh the X server asks for
  // draws the frame anew.
  const std::string id = std::to_string(glfwGetX11Window(video->window()));
  for (const char* step : {"windowunmap", "windowmap"})
    ASSERT_EQ(test_support::run_process({"xdotool", step, "--sync", id}, ".", 20).exit_code, 0);
  for (int i = 0; i < 50 && shown_at(*video, 220, 320).b < 250; ++i) {
    frame_with_sprite();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_RGB_NEAR(shown_at(*video, 220, 320), 0, 0, 255);

  // An empty frame after the sprite clears the window.
  const long skipped = video->skipped_frames();
  frame->flip();
  EXPECT_EQ(video->skipped_frames(), skipped);
  EXPECT_RGB_NEAR(shown_at(*video, 220, 320), 0, 0, 0);
}

TEST_F(Render, EveryFrameIsDrawnByDefault) {
  ASSERT_NO_FATAL_FAILURE(open(800, 600));
  make_solid(*video, "white", 64, 64, {255, 255, 255, 255});
  Video_Sprite* sprite = make_sprite(*video, "sp", "white");
  for (int i = 0; i < 3; ++i) {
    video->_draw_sprite(sprite);
    frame->flip();
    EXPECT_EQ(video->sprite_binds(), 1);
  }
  EXPECT_EQ(video->skipped_frames(), 0);
}

}  // namespace
