// The plug-in as the game loads it: through the text renderer registry by bare name.

#include <gtest/gtest.h>

#include "handro/dynamic.h"
#include "memory_video.h"
#include "scrivet/textrenderer.h"

TEST(TtfPlugin, LoadsRendersAndUnloadsUnderItsOwnName) {
  ASSERT_TRUE(textrenderer_create("ttf", "libmordent", true)) << textrenderer_error();
  Text_Renderer* renderer = textrenderer_get("ttf");
  ASSERT_NE(renderer, nullptr);
  EXPECT_EQ(renderer->get_version(), "1.0");
  EXPECT_EQ(renderer->get_module_name(), "libmordent");

  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);
  ASSERT_TRUE(renderer->load_font("Sans", std::string(TARNVALE_SOURCE_DIR) + "/res/fonts/DejaVuSans.ttf", &files))
      << renderer->get_error();
  MemoryVideo* video = memory_video("PluginVideo");
  ASSERT_NE(video, nullptr) << video_error();
  VideoColor color;
  color.set_color(255, 255, 255, 255);
  ASSERT_TRUE(renderer->render_text("PluginVideo", "Sans", std::string("Plug-in"), color, 16, "p", "g", true))
      << renderer->get_error();
  EXPECT_GT(video->_get_surface("p", "g")->_get_width(), 30);

  // Removing unloads the module by the name the renderer reports: no failed load of another name.
  EXPECT_TRUE(textrenderer_remove("ttf"));
  EXPECT_EQ(textrenderer_get("ttf"), nullptr);
  EXPECT_EQ(dynamic_error().find("Couldn`t load library"), std::string::npos) << dynamic_error();

  // And it comes back cleanly, twice over (replace destroys the first one).
  ASSERT_TRUE(textrenderer_create("ttf", "libmordent", true)) << textrenderer_error();
  ASSERT_TRUE(textrenderer_create("ttf", "libmordent", true)) << textrenderer_error();
  EXPECT_TRUE(textrenderer_get("ttf")->init());
  EXPECT_TRUE(textrenderer_remove("ttf"));
  video_remove("PluginVideo");
}
