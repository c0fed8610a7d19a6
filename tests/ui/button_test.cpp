// Buttons and scene switchers under the real pointer: hover looks, the released signal, and
// switching the running scene.

#include <chrono>
#include <thread>

#include "panolet/button.h"
#include "panolet/sceneswitcher.h"
#include "ui_fixture.h"
#include "voskar/scenemanager.h"

using namespace ui_test;

namespace {

const Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

// One button "btn" of the style at (x, y); the red/green pictures are 64 x 32 pixels, that is
// 0.32 x 0.213 of the 400 x 300 window.
std::string button_scene(const std::string& style, float x, float y,
                         const std::string& type = "Button", const std::string& extra = "") {
  return "[Scene]\n[Objects]\n[Object0]\nname btn\nz_level 5\n[/]\n[/]\n[/]\n"
         "[Objects]\n[btn]\ntype " + type + "\n[SceneObject]\nabsolute_x " + std::to_string(x) +
         "\nabsolute_y " + std::to_string(y) + "\n[/]\n[BaseUIObject]\nstyle " + style +
         "\n[/]\n[Button]\ncaption II\n[/]\n" + extra + "[/]\n[/]\n";
}

class Buttons : public UiTest {
protected:
  // Colour counts over the button's picture, left and right of the caption.
  int picture_pixels(float x, float y, Rgb colour) {
    return count_colour(x - 0.15f, y - 0.09f, x - 0.06f, y + 0.09f, colour, 30);
  }
  int caption_pixels(float x, float y, Rgb colour) {
    return count_colour(x - 0.06f, y - 0.1f, x + 0.06f, y + 0.1f, colour, 60);
  }
};

}  // namespace

TEST_F(Buttons, HoverSwitchesPictureAndCaptionUnderTheRealPointer) {
  Scene* scene = load_scene("hover", button_scene("Solid", 0, 0));
  show(scene);
  EXPECT_GT(picture_pixels(0, 0, kRed), 100);
  EXPECT_GT(caption_pixels(0, 0, kBlue), 10);
  EXPECT_EQ(caption_pixels(0, 0, kYellow), 0);

  move_to(0.1f, 0.05f);
  auto* button = dynamic_cast<Button*>(scene->get_object("btn"));
  ASSERT_TRUE(cycle_until(scene, [&] { return button->_get_state() == 1; }));
  show(scene);
  EXPECT_EQ(picture_pixels(0, 0, kRed), 0);
  EXPECT_GT(picture_pixels(0, 0, kGreen), 100);
  EXPECT_GT(caption_pixels(0, 0, kYellow), 10);
  EXPECT_EQ(caption_pixels(0, 0, kBlue), 0);

  move_to(0.8f, 0.8f);
  ASSERT_TRUE(cycle_until(scene, [&] { return button->_get_state() == 0; }));
  show(scene);
  EXPECT_GT(picture_pixels(0, 0, kRed), 100);
  EXPECT_GT(caption_pixels(0, 0, kBlue), 10);
}

TEST_F(Buttons, WithoutAHoverPictureOnlyTheHoverCaptionShowsUnderThePointer) {
  Scene* scene = load_scene("bare", button_scene("Bare", 0, 0));
  EXPECT_EQ(scene->get_object("btnhoverimage"), nullptr);
  auto* button = dynamic_cast<Button*>(scene->get_object("btn"));
  button->_on_mouse_enter(0, 0, MOUSE_BUTTON_LEFT);
  button->_on_mouse_enter(0, 0, MOUSE_BUTTON_LEFT);  // a second enter changes nothing
  EXPECT_EQ(button->_get_state(), 1);
  show(scene);
  EXPECT_EQ(picture_pixels(0, 0, kRed), 0);
  EXPECT_GT(caption_pixels(0, 0, kYellow), 10);
  button->_on_mouse_leave(0, 0, MOUSE_BUTTON_LEFT);
  show(scene);
  EXPECT_GT(picture_pixels(0, 0, kRed), 100);
}

TEST_F(Buttons, AClickRisesReleasedWithTheButtonsPositionAndTheMouseButtons) {
  Scene* scene = load_scene("click", button_scene("Solid", 0.3f, -0.2f));
  SignalCatcher released("click->btn->released");
  show(scene);
  click_at(0.4f, -0.15f);
  ASSERT_TRUE(cycle_until(scene, [&] { return !released.packs.empty(); }));
  const SlotArgs& pack = released.packs[0];
  ASSERT_EQ(pack.float_params.size(), 2u);
  EXPECT_FLOAT_EQ(pack.float_params[0], 0.3f) << "the button's position, not the pointer's";
  EXPECT_FLOAT_EQ(pack.float_params[1], -0.2f);
  ASSERT_EQ(pack.int_params.size(), 1u);
  EXPECT_EQ(pack.int_params[0], MOUSE_BUTTON_LEFT);

  // A press on empty space leaves the focus on the button: its release is no click of it.
  click_at(-0.8f, 0.8f);
  cycles(scene, 10);
  // Pressed on the button but released elsewhere: no click either.
  press_at(0.3f, -0.2f);
  cycles(scene, 5);
  move_to(-0.8f, 0.8f);
  release();
  cycles(scene, 10);
  EXPECT_EQ(released.packs.size(), 1u);
}

TEST_F(Buttons, ShortReleasePacksRiseNothing) {
  Scene* scene = load_scene("short", button_scene("Solid", 0, 0));
  SignalCatcher released("short->btn->released");
  auto* button = dynamic_cast<Button*>(scene->get_object("btn"));
  SlotArgs three_floats{{1}, {0, 0, 0}, {}};
  SlotArgs no_integer{{}, {0, 0, 0, 0}, {}};
  EXPECT_TRUE(button->slot__on_mouse_release(&three_floats));
  EXPECT_TRUE(button->slot__on_mouse_release(&no_integer));
  EXPECT_TRUE(released.packs.empty());
}

TEST_F(Buttons, AButtonThatGoesTakesItsPicturesAndCaptionsAlong) {
  Scene* scene = load_scene("owner", button_scene("Solid", 0, 0));
  EXPECT_EQ(scene->get_object_names().size(), 5u);
  SceneObject* button = scene->get_object("btn");
  scene->remove_object("btn");
  delete button;
  EXPECT_TRUE(scene->get_object_names().empty());
}

TEST_F(Buttons, AFailingPictureFailsTheLoadAndLeavesNothingBehind) {
  EXPECT_FALSE(try_load_scene("broken", button_scene("Broken", 0, 0, "Button",
                                                     "[style]\nimage_file no/such.png\n[/]\n")));
}

using SceneSwitchers = UiTest;

TEST_F(SceneSwitchers, RealClicksSwitchTheRunningSceneAndAnEmptyNameKeepsIt) {
  const std::string list = dir.write(
      "list.scns",
      "[Scenes]\n[Scene0]\nname sw_a\nfile " + dir.file("a.scn") + "\n[/]\n"
      "[Scene1]\nname sw_b\nfile " + dir.file("b.scn") + "\n[/]\n[/]\n");
  auto switcher = [](const std::string& name, const std::string& next, float x, float y) {
    return "[" + name + "]\ntype SceneSwitcher\n[SceneObject]\nabsolute_x " + std::to_string(x) +
           "\nabsolute_y " + std::to_string(y) + "\n[/]\n[BaseUIObject]\nstyle Solid\n[/]\n"
           "[Button]\ncaption S\n[/]\n[SceneSwitcher]\nnext_scene " + next + "\n[/]\n[/]\n";
  };
  dir.write("a.scn", "[Scene]\n[Objects]\n[Object0]\nname go\nz_level 5\n[/]\n[/]\n[/]\n"
                     "[Objects]\n" + switcher("go", "sw_b", 0, 0) + "[/]\n");
  dir.write("b.scn", "[Scene]\n[Objects]\n[Object0]\nname stay\nz_level 5\n[/]\n"
                     "[Object1]\nname leave\nz_level 5\n[/]\n[/]\n[/]\n"
                     "[Objects]\n" + switcher("stay", "", 0.5f, 0.5f) +
                     switcher("leave", "exit", -0.5f, -0.5f) + "[/]\n");
  ASSERT_TRUE(load_scenes(list, "Video", files()));
  SignalCatcher b_reinits("sw_b->reinit", false);

  std::thread player([this] {
    using namespace std::chrono_literals;
    std::this_thread::sleep_for(1s);
    click_at(0, 0);
    std::this_thread::sleep_for(1s);
    click_at(0.5f, 0.5f);
    std::this_thread::sleep_for(1s);
    click_at(-0.5f, -0.5f);
  });
  process_scene("sw_a");  // returns only when "exit" is asked for
  player.join();
  ASSERT_NE(get_scene("sw_b"), nullptr);
  EXPECT_TRUE(get_scene("sw_b")->scene_loaded());
  // Switched to once, and reinitialised again by the switch to the empty name.
  EXPECT_EQ(b_reinits.packs.size(), 2u);
  // The run loop leaves its last scene wired to the input; the other tests need it.
  get_scene("sw_b")->slot__on_deactivate(nullptr);
}
