// A text object on a real screen: the OpenGL driver under the test's private X server draws
// it, and the pixels read back show it where its position and base point put it.

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <vector>

#include "carrow/config.h"
#include "opengl_video.h"
#include "scratch.h"
#include "scrivet/textrenderer.h"
#include "voskar/scenemanager.h"
#include "xserver.h"

namespace {

constexpr int kWidth = 320, kHeight = 240;

// Bright green pixels of a frame, counted inside and outside a pixel box.
struct Split {
  int inside = 0, outside = 0;
};

Split bright_pixels(const std::vector<unsigned char>& frame, int x0, int y0, int x1, int y1) {
  Split split;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (frame[(y * kWidth + x) * 4 + 1] < 128) continue;
      (x >= x0 && x < x1 && y >= y0 && y < y1 ? split.inside : split.outside)++;
    }
  return split;
}

}  // namespace

TEST(TextOnScreen, IsDrawnWhereItsPositionAndBasePointSay) {
  REQUIRE_X_SERVER();
  ASSERT_TRUE(config_create("TextScreenVideo", "libquorra", true)) << config_error();
  Config_Interface* settings = config_get_interface("TextScreenVideo");
  for (auto [key, value] : {std::pair<const char*, std::string>{"Width", std::to_string(kWidth)},
                            {"Height", std::to_string(kHeight)},
                            {"BaseHeight", std::to_string(kHeight)},
                            {"FullScreen", "no"}})
    settings->set_value(std::string("Video->") + key, value, true);
  std::string params[] = {"TextScreenVideo", "Video->", "VX_Video"};
  ASSERT_TRUE(video_create("Screen", "libGL_tessar", params, 3, 0)) << video_error();
  Video_Interface* video = video_get_interface("Screen");
  ASSERT_TRUE(video->_init()) << video->_get_error();

  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);
  ASSERT_TRUE(textrenderer_create("ttf", "libmordent", true)) << textrenderer_error();
  ASSERT_TRUE(textrenderer_get("ttf")->load_font(
      "Sans", std::string(TARNVALE_SOURCE_DIR) + "/res/fonts/DejaVuSans.ttf", &files));
  init("Screen");

  // "HH" in green, its lower left corner on the point (0.5, 0.5): pixel (240, 180).
  test_support::ScratchDir dir;
  Scene scene;
  scene.set_name("text_screen");
  scene.set_video_name("Screen");
  scene.set_file_manager(&files);
  scene.set_storage_file(dir.write(
      "screen.scn",
      "[Scene]\n[Objects]\n[Object0]\nname hh\n[/]\n[/]\n[/]\n"
      "[Objects]\n[hh]\ntype Text\n[SceneObject]\nabsolute_x 0.5\nabsolute_y 0.5\n[/]\n"
      "[Text]\ntext HH\nfont Sans\nfont_size 40\ncolor 0x00ff00ff\nx_base 0\ny_base 0\n[/]\n[/]\n[/]\n"));
  ASSERT_TRUE(scene.load_scene());
  // The frame is read back just before the driver swaps it away.
  std::vector<unsigned char> frame(kWidth * kHeight * 4);
  static_cast<OpenGL_Video*>(video)->set_before_swap([&frame] {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
  });
  ASSERT_TRUE(scene.draw());
  video->_flip();
  static_cast<OpenGL_Video*>(video)->set_before_swap(nullptr);

  const Split split = bright_pixels(frame, 240, 180, kWidth, kHeight);
  EXPECT_GT(split.inside, 200) << "the text shows above and right of its position";
  EXPECT_EQ(split.outside, 0) << "and nowhere else";

  SceneObject* text = scene.get_object("hh");
  scene.slot__on_deactivate(nullptr);
  scene.remove_object("hh");
  delete text;
  video->_deinit();
  video_remove("Screen");
}
