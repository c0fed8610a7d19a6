// A resizable window: the picture fitted, centred and letterboxed at every size, the pointer
// mapped through the same transform, and F11 switching to full screen and back, with real X
// requests and xdotool input.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "process.h"
#include "video_fixture.h"
#include "xserver.h"

extern "C" unsigned long glfwGetX11Window(GLFWwindow* window);

namespace {

using video_test::Rgba;

TEST(FitPicture, LargestCentredAreaOfThePicturesAspect) {
  auto same = [](PictureArea a, PictureArea b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
  };
  EXPECT_TRUE(same(fit_picture(1024, 768, 800, 600), {0, 0, 1024, 768}));
  EXPECT_TRUE(same(fit_picture(1000, 600, 800, 600), {100, 0, 800, 600}));  // bands left, right
  EXPECT_TRUE(same(fit_picture(640, 640, 800, 600), {0, 80, 640, 480}));     // above, below
  EXPECT_TRUE(same(fit_picture(1, 1000, 800, 600), {0, 500, 1, 0}));
  EXPECT_TRUE(same(fit_picture(0, 600, 800, 600), {}));
  EXPECT_TRUE(same(fit_picture(800, 600, 0, 600), {}));
}

class ResizableWindow : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    video_ = video_test::open_driver(800, 600, {{"Resizable", "yes"}, {"SkipUnchangedFrames", "yes"}});
    ASSERT_TRUE(video_);
    window_id_ = std::to_string(glfwGetX11Window(video_->window()));
    // One picture over the whole 800 x 600 scene.
    ASSERT_TRUE(video_->_create_surface(800, 600, "all", "g", true));
    video_test::fill_surface(video_->_get_surface("all", "g"), {200, 40, 40, 255});
    ASSERT_TRUE(video_->_create_sprite("all", "g", "all", "g", true));
    video_->_get_sprite("all", "g")->_set_base_point(0.5, 0.5);
    video_->_get_sprite("all", "g")->_set_coord(0, 0);
    video_->_enable_mouse_move_events(true);
    video_->_enable_key_events(true);
    video_->set_before_swap([this] {
      glfwGetFramebufferSize(video_->window(), &drawn_width_, &drawn_height_);
      pixels_.assign(static_cast<size_t>(drawn_width_) * drawn_height_ * 4, 0);
      glPixelStorei(GL_PACK_ALIGNMENT, 1);
      glReadBuffer(GL_BACK);
      glReadPixels(0, 0, drawn_width_, drawn_height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels_.data());
    });
  }

  void xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    auto result = test_support::run_process(args, ".", 20);
    ASSERT_EQ(result.exit_code, 0) << result.err;
  }

  // Frames (the picture queued in each) until `done` holds, or five seconds pass; their events
  // are added to events_.
  void frames_until(const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < give_up) {
      video_->_draw_sprite("all", "g");
      video_->_flip();
      for (Event e = video_->_get_event(); e._get_type() != NO_EVENT; e = video_->_get_event())
        events_.push_back(e);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  bool window_is(int width, int height) {
    int w = 0, h = 0;
    glfwGetWindowSize(video_->window(), &w, &h);
    return w == width && h == height;
  }

  // Resizes the window, then draws frames of the same still picture: they must be drawn anew
  // although their sprites did not change. The last one drawn is kept.
  void resize(int width, int height) {
    glfwSetWindowSize(video_->window(), width, height);
    frames_until([&] { return window_is(width, height); });
    ASSERT_TRUE(window_is(width, height));
    pixels_.clear();
    std::vector<unsigned char> last;
    for (int i = 0; i < 10; ++i) {
      video_->_draw_sprite("all", "g");
      video_->_flip();
      if (!pixels_.empty()) last.swap(pixels_);
      pixels_.clear();
    }
    pixels_.swap(last);
    ASSERT_FALSE(pixels_.empty()) << "the frames after the resize were not drawn";
  }

  // Pixel (x, y) of the last drawn frame, y from the top of the window.
  Rgba at(int x, int y) const {
    const unsigned char* p = &pixels_[(static_cast<size_t>(drawn_height_ - 1 - y) * drawn_width_ + x) * 4];
    return {p[0], p[1], p[2], p[3]};
  }

  std::unique_ptr<OpenGL_Video> video_;
  std::string window_id_;
  std::vector<Event> events_;
  std::vector<unsigned char> pixels_;
  int drawn_width_ = 0, drawn_height_ = 0;
};

TEST_F(ResizableWindow, PictureStaysWholeCentredAndLetterboxedAndThePointerMapsThrough) {
  int frames = 0;
  frames_until([&] { return ++frames > 10; });  // a still picture: later frames are skipped
  ASSERT_GT(video_->skipped_frames(), 0);
  resize(1000, 600);
  EXPECT_EQ(video_->_get_width(), 800) << "the scene keeps its own size";
  EXPECT_RGB_NEAR(at(50, 300), 0, 0, 0);    // band left of the picture
  EXPECT_RGB_NEAR(at(950, 300), 0, 0, 0);   // and right of it
  EXPECT_RGB_NEAR(at(102, 2), 200, 40, 40);  // the picture's corners
  EXPECT_RGB_NEAR(at(897, 597), 200, 40, 40);

  resize(640, 640);
  EXPECT_RGB_NEAR(at(320, 40), 0, 0, 0);    // band above
  EXPECT_RGB_NEAR(at(320, 600), 0, 0, 0);   // band below
  EXPECT_RGB_NEAR(at(320, 320), 200, 40, 40);

  // (160, 200) of the window is (0.5, 0.5) of the 640 x 480 picture at y 80.
  xdotool({"mousemove", "--window", window_id_, "480", "200"});
  std::vector<Event> moves;
  frames_until([&] {
    for (const Event& e : events_)
      if (e.type == MOUSE_MOVE) moves.push_back(e);
    events_.clear();
    return !moves.empty() && moves.back().x > 0.3;
  });
  ASSERT_FALSE(moves.empty());
  EXPECT_NEAR(moves.back().x, 0.5, 0.01);
  EXPECT_NEAR(moves.back().y, 0.5, 0.01);
  double x = 0, y = 0;
  video_->_get_mouse_position(&x, &y);
  EXPECT_NEAR(x, 0.5, 0.01);
  EXPECT_NEAR(y, 0.5, 0.01);
}

TEST_F(ResizableWindow, F11TwiceReturnsToTheWindowsSizeAndTheKeyIsNotPassedOn) {
  resize(700, 500);
  const GLFWvidmode* desktop = glfwGetVideoMode(glfwGetPrimaryMonitor());
  ASSERT_NE(desktop, nullptr);
  auto press_f11 = [&](bool full) {
    xdotool({"key", "--window", window_id_, "F11"});
    frames_until([&] { return video_->full_screen() == full; });
    ASSERT_EQ(video_->full_screen(), full);
  };
  press_f11(true);
  frames_until([&] { return window_is(desktop->width, desktop->height); });
  EXPECT_TRUE(window_is(desktop->width, desktop->height));
  press_f11(false);
  frames_until([&] { return window_is(700, 500); });
  EXPECT_TRUE(window_is(700, 500));
  for (const Event& e : events_) EXPECT_NE(e.key, VKEY_F1 + 10) << "F11 reached the game";
}

TEST(FixedWindow, ResizingIsLeftToTheDriversDefault) {
  REQUIRE_X_SERVER();
  auto video = video_test::open_driver(800, 600);
  ASSERT_TRUE(video);
  EXPECT_EQ(glfwGetWindowAttrib(video->window(), GLFW_RESIZABLE), GLFW_FALSE);
  EXPECT_FALSE(video->_set_window_mode(1024, 768, false));
}

}  // namespace
