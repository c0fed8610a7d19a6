// Windows: the inner scene drawn where the window stands, presses and pointer moves handed in.

#include "panolet/button.h"
#include "panolet/window.h"
#include "ui_fixture.h"

using namespace ui_test;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kGrey{128, 128, 128};

class Windows : public UiTest {
protected:
  // A 100 x 100 grey window "win" at (x, 0) holding the inner scene text.
  Scene* window_scene(const std::string& name, float x, const std::string& inner,
                      const std::string& size = "width 100\nheight 100\n") {
    const std::string inner_file = dir.write(name + "_inner.scn", inner);
    return load_scene(name, "[Scene]\n[Objects]\n[Object0]\nname win\nz_level 1\n[/]\n[/]\n[/]\n"
                            "[Objects]\n[win]\ntype Window\n[SceneObject]\nabsolute_x " +
                                std::to_string(x) + "\n[/]\n[Image]\nimage_file tests/data/ui/panel.png\n[/]\n"
                                "[Window]\n" + size + "internal_scene_file " + inner_file +
                                "\n[/]\n[/]\n[/]\n");
  }
};

// An inner scene with one button "ok" of the solid style in its middle.
const char* const kInnerButton =
    "[Scene]\n[Objects]\n[Object0]\nname ok\nz_level 5\n[/]\n[/]\n[/]\n"
    "[Objects]\n[ok]\ntype Button\n[BaseUIObject]\nstyle Solid\n[/]\n[Button]\ncaption I\n[/]\n"
    "[/]\n[/]\n";

}  // namespace

TEST_F(Windows, TheInnerSceneIsDrawnWhereTheWindowStandsAndFollowsIt) {
  Scene* scene = window_scene("follow", 0.5f, kInnerButton);
  show(scene);
  // The inner picture (64 x 32) sits in the middle of the window (100 x 100) at (0.5, 0).
  EXPECT_GT(count_colour(0.4f, -0.05f, 0.6f, 0.05f, kRed, 30), 500);
  EXPECT_GT(count_colour(0.3f, 0.2f, 0.7f, 0.3f, kGrey, 30), 500) << "the window's picture";

  auto* window = dynamic_cast<Window*>(scene->get_object("win"));
  window->_set_absolute_x(-0.5f);
  show(scene);
  EXPECT_EQ(count_colour(0.4f, -0.05f, 0.6f, 0.05f, kRed, 30), 0);
  EXPECT_GT(count_colour(-0.6f, -0.05f, -0.4f, 0.05f, kRed, 30), 500);
}

TEST_F(Windows, ARealClickReachesTheInnerButtonAndItsHoverShows) {
  Scene* scene = window_scene("press", 0.5f, kInnerButton);
  SignalCatcher released("win->ok->released");
  show(scene);
  move_to(0.52f, 0.02f);
  auto* ok = dynamic_cast<Button*>(
      dynamic_cast<Window*>(scene->get_object("win"))->_get__internal_scene_()->get_object("ok"));
  ASSERT_NE(ok, nullptr);
  ASSERT_TRUE(cycle_until(scene, [&] { return ok->_get_state() == 1; }));
  show(scene);
  EXPECT_GT(count_colour(0.4f, -0.05f, 0.6f, 0.05f, kGreen, 30), 500);

  click_at(0.52f, 0.02f);
  ASSERT_TRUE(cycle_until(scene, [&] { return !released.packs.empty(); }));
  EXPECT_FLOAT_EQ(released.packs[0].float_params[0], 0.5f) << "the inner button's place";
}

TEST_F(Windows, SizesDefaultToAHundredAndAnUnreadableInnerFileFailsTheLoad) {
  Scene* scene = window_scene("sizes", 0, kInnerButton, "");
  Scene* inner = dynamic_cast<Window*>(scene->get_object("win"))->_get__internal_scene_();
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(inner->get_width(), 100);
  EXPECT_EQ(inner->get_height(), 100);
  EXPECT_EQ(inner->get_parent(), scene);

  EXPECT_FALSE(try_load_scene(
      "missing", "[Scene]\n[Objects]\n[Object0]\nname win\n[/]\n[/]\n[/]\n"
                 "[Objects]\n[win]\ntype Window\n[Image]\nimage_file tests/data/ui/panel.png\n[/]\n"
                 "[Window]\ninternal_scene_file no/such.scn\n[/]\n[/]\n[/]\n"));
}

// A window showing its own scene, or a scene whose window shows the first again, would load
// without end: the load fails instead.
TEST_F(Windows, AWindowThatIncludesItselfFailsTheLoad) {
  // Inner scenes are configured under their window's name: each window has its own.
  const auto window_of = [](const std::string& window, const std::string& file) {
    return "[Scene]\n[Objects]\n[Object0]\nname " + window + "\n[/]\n[/]\n[/]\n[Objects]\n[" +
           window + "]\ntype Window\n[Image]\nimage_file tests/data/ui/panel.png\n[/]\n"
           "[Window]\ninternal_scene_file " + file + "\n[/]\n[/]\n[/]\n";
  };
  EXPECT_FALSE(try_load_scene("self", window_of("self_win", dir.file("self.scn"))));
  dir.write("other.scn", window_of("other_win", dir.file("round.scn")));
  EXPECT_FALSE(try_load_scene("round", window_of("round_win", dir.file("other.scn"))));
}
