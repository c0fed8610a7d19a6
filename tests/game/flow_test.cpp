// The course of a game on the real classes: the line the pile must stay below, the end of the
// game, a stone with no room, and the pause. Time runs on the stepped clock, one world step a
// frame, so every run is the same.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "game_fixture.h"
#include "panolet/numeric.h"
#include "panolet/ui.h"
#include "tessim/time.h"
#include "twinkel/signals.h"
#include "GameEngine/GameObjects/stone_particles/stone_particles.h"
#include "voskar/fabric.h"
#include "voskar/text.h"
#include "voskar/timer.h"
#include "window_picture.h"

using namespace game_test;
using ::testing::HasSubstr;

namespace {

class GameCourse : public SteppedField {
protected:
  static std::string course_keys(const std::string& more = "") {
    return "\tgameOverLine 0.2\n\tgameOverHold 0.5\n\tgameOverWindow over\n\tscoreObject score\n"
           "\tpauseKeys true\n\tpauseLabel label\n" + more;
  }
};

TEST_F(GameCourse, WithoutTheKeysTheGameNeitherEndsNorPauses) {
  load();
  place("High", 0, 0.0f, 0.8f);
  tick(120);
  EXPECT_FALSE(scene->can_end());
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING);
  press_key('P');
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING);
  // A stone where the emitter puts its first one does not stop the emission either.
  place("InTheWay", 1, -0.42f, 0.08f);
  EXPECT_EQ(emitter()->startEmit(2), 2);
}

TEST_F(GameCourse, StonesRestingAboveTheLineForTheHoldTimeEndTheGame) {
  load_course(course_keys());
  ASSERT_TRUE(scene->can_end());
  EXPECT_FALSE(shown("over")) << "hidden until the end";
  dynamic_cast<Numeric*>(scene->get_object("score"))->set_value_handler(42);
  Catcher over(scene->get_name() + "->game_over");

  place("Below", 0, 0.0f, -0.5f);
  tick(60);
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING) << "nothing above the line";

  place("Above", 1, 0.3f, 0.4f);
  testing::internal::CaptureStdout();
  tick(28);
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING) << "not yet the hold time";
  tick(4);
  const std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(scene->get_play(), PhysScene::Play::OVER);
  EXPECT_THAT(out, HasSubstr("INFO:Game over, score 42\n"));
  EXPECT_TRUE(shown("over"));
  ASSERT_EQ(over.packs.size(), 1u);
  EXPECT_EQ(over.packs[0].int_params, (std::vector<int64_t>{42, 0})) << "score, and no place: not kept";
  EXPECT_EQ(over.packs[0].string_params, std::vector<std::string>{""});

  // The field stands still: no steps, no refill, no clicks, no second end.
  const auto before = positions();
  scene->get_world()->SetGravity(b2Vec2(0, -60));
  tick(90);
  EXPECT_EQ(positions().size(), before.size());
  for (const auto& [name, at] : positions()) EXPECT_EQ(at, before.at(name)) << name;
  EXPECT_EQ(emitter()->startEmit(5), 0);
  dynamic_cast<BaseStone*>(scene->get_object("Below"))->_on_mouse_release_handler();
  EXPECT_EQ(scene->get_selected_stone(), nullptr);
  scene->end_game();
  EXPECT_EQ(over.packs.size(), 1u);
}

TEST_F(GameCourse, WhileStonesRestAboveTheLineItTurnsRedAndALabelCountsDown) {
  load_course(std::string("\tgameOverLine 0.2\n\tgameOverHold 2\n\tgameOverLineColor 0xffffffff\n") +
              "\tgameOverLineWarningColor 0xff0000ff\n\twarningLabel warn\n\twarningText Ends in {n}\n",
              false, {"warn"}, "\t[warn]\n\t\ttype Text\n\t\t[Text]\n\t\t\ttext -\n\t\t\tfont Font0\n\t\t[/]\n\t[/]\n");
  auto* warning = dynamic_cast<Text*>(scene->get_object("warn"));
  ASSERT_NE(warning, nullptr);
  // The line's row (scene y 0.2) at the middle of the window, away from the stones.
  auto line_colour = [] {
    const WindowPicture picture(800, 600);
    return picture.colour(700, 240);
  };
  tick(2);
  EXPECT_FALSE(shown("warn"));
  EXPECT_GT(line_colour().green, 200) << "white while nothing rests above it";

  BaseStone* high = place("High", 0, 0.0f, 0.4f);
  tick(10);
  EXPECT_FALSE(shown("warn")) << "a stone at the top of its flight rests for a moment only";
  tick(8);
  ASSERT_TRUE(shown("warn"));
  EXPECT_EQ(warning->_get_text(), "Ends in 2");
  const auto red = line_colour();
  EXPECT_GT(red.red, 200);
  EXPECT_LT(red.green, 60);
  tick(50);
  EXPECT_EQ(warning->_get_text(), "Ends in 1");

  // The pile drops below the line: the warning clears and the hold starts again.
  high->_get_body()->SetTransform(scene_to_world(0.0f, -0.5f), 0);
  tick(2);
  EXPECT_FALSE(shown("warn"));
  EXPECT_GT(line_colour().green, 200);
  high->_get_body()->SetTransform(scene_to_world(0.0f, 0.4f), 0);
  tick(18);
  EXPECT_EQ(warning->_get_text(), "Ends in 2");
  tick(120);
  ASSERT_EQ(scene->get_play(), PhysScene::Play::OVER);
  EXPECT_FALSE(shown("warn")) << "nothing of the warning over the game-over window";
}

TEST_F(GameCourse, BurstsRunningWhenTheGameEndsLeaveNothingOnTheWindow) {
  load_course(course_keys(), false, {}, "", "[@SCENE@StoneParticles]\n\tparticleCount 40\n\tlifeTime 5\n[/]\n");
  for (int i = 0; i < 4; ++i) {
    BaseStone* stone = place("S" + std::to_string(i), i % 3, -0.3f + 0.2f * i, -0.2f);
    scene->burst(stone);
    scene->dispose_stone(stone);
  }
  tick(3);
  auto effects = [this] {
    int count = 0;
    for (const std::string& name : scene->get_object_names())
      count += dynamic_cast<StoneParticles*>(scene->get_object(name)) != nullptr;
    return count;
  };
  ASSERT_EQ(effects(), 4);
  const WindowPicture bursting(800, 600);
  scene->end_game();
  EXPECT_EQ(effects(), 0);
  tick(60);
  const WindowPicture after(800, 600);
  ASSERT_TRUE(bursting.taken() && after.taken());
  // Outside the game-over picture (a stone at the centre) nothing but the black background.
  int lit_before = 0, lit_after = 0;
  for (int y = 0; y < 600; y += 3)
    for (int x = 0; x < 800; x += 3) {
      if (x > 370 && x < 430 && y > 270 && y < 330) continue;
      lit_before += bursting.brightness(x, y) > 40;
      lit_after += after.brightness(x, y) > 40;
    }
  EXPECT_GT(lit_before, 50) << "the bursts showed";
  EXPECT_EQ(lit_after, 0);
}

// An object that takes two seconds of the clock to load, as a large picture on a slow machine does.
class SlowToLoad : public Numeric {
public:
  bool load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
            std::string object_name, Brannow::FileManager* file_manager) override {
    Time::advance_stepped_clock(2.0);
    return Numeric::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  }
};

TEST_F(GameCourse, TheFieldsClocksStartWithItsFirstFrameNotWithItsLoading) {
  static ObjectFabric<SlowToLoad> slow_fabric;
  SceneObjectFabric::add_fabric("SlowToLoad", &slow_fabric);
  // The refill (every 0.5 s) loads before the slow object: its time out must not come with the
  // first frame, where it would fall on stones that have not yet left the emitter's places.
  load_course(course_keys("\tgravity_y -60\n"), true, {"slow"}, "\t[slow]\n\t\ttype SlowToLoad\n\t[/]\n");
  place("JustEmitted", 1, -0.42f, 0.08f);
  tick();
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING);
  EXPECT_EQ(stones(), 1);
  tick(28);
  EXPECT_EQ(stones(), 1);
  tick(3);
  EXPECT_EQ(stones(), 2) << "the refill comes half a second after the first frame";
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING);
}

TEST_F(GameCourse, AStoneWithNoRoomEndsTheGame) {
  load_course(course_keys());
  // The emitter's first place: one stone width in from the left of its area, one height up. The
  // stone there rests on another.
  place("InTheWay", 1, -0.42f, 0.08f);
  place("Under", 2, -0.42f + FACE_OFFSET, 0.08f - FACE_OFFSET);
  tick(3);
  testing::internal::CaptureStdout();
  EXPECT_EQ(emitter()->startEmit(3), 0);
  EXPECT_THAT(testing::internal::GetCapturedStdout(), HasSubstr("INFO:Game over, score 0\n"));
  EXPECT_EQ(scene->get_play(), PhysScene::Play::OVER);
  EXPECT_EQ(stones(), 2);
}

TEST_F(GameCourse, AStonePassingTheEmittersPlaceSendsTheBatchHigherUp) {
  load_course(course_keys());
  // Falling, or just placed and touching nothing yet.
  BaseStone* falling = place("FallingThrough", 1, -0.42f, 0.08f);
  falling->_get_body()->SetLinearVelocity(b2Vec2(0, -30));
  EXPECT_EQ(emitter()->startEmit(3), 3);
  falling->_get_body()->SetLinearVelocity(b2Vec2(0, 0));
  EXPECT_EQ(emitter()->startEmit(3), 3);
  EXPECT_EQ(scene->get_play(), PhysScene::Play::RUNNING);
  for (const auto& [name, at] : positions()) {
    if (name == "FallingThrough") continue;
    EXPECT_GT(at.y, scene_to_world(0, 0.2f).y) << name;
  }
}

TEST_F(GameCourse, PauseHoldsBodiesPixelsTimersAndClicksUntilResumed) {
  load_course(course_keys("\tgravity_y -60\n"), true);
  place("A", 0, -0.2f, 0.1f);
  place("B", 1, 0.2f, -0.1f);
  tick(10);
  const int before_refill = stones();

  Catcher paused(scene->get_name() + "->paused"), resumed(scene->get_name() + "->resumed");
  press_key('P');
  ASSERT_EQ(scene->get_play(), PhysScene::Play::PAUSED);
  EXPECT_EQ(paused.packs.size(), 1u);
  EXPECT_TRUE(shown("label"));
  tick(2);
  const auto still = positions();
  const WindowPicture first(800, 600);
  tick(120);  // two seconds: four refills if the timer ran
  const WindowPicture second(800, 600);
  EXPECT_EQ(positions(), still);
  EXPECT_EQ(stones(), before_refill);
  ASSERT_TRUE(first.taken() && second.taken());
  int differing = 0;
  for (int y = 0; y < 600; y += 2)
    for (int x = 0; x < 800; x += 2) {
      const auto a = first.colour(x, y), b = second.colour(x, y);
      differing += a.red != b.red || a.green != b.green || a.blue != b.blue;
    }
  EXPECT_EQ(differing, 0);
  dynamic_cast<BaseStone*>(scene->get_object("A"))->_on_mouse_release_handler();
  EXPECT_EQ(scene->get_selected_stone(), nullptr) << "no moves while paused";

  press_key(VKEY_ESC);
  ASSERT_EQ(scene->get_play(), PhysScene::Play::RUNNING);
  EXPECT_EQ(resumed.packs.size(), 1u);
  EXPECT_FALSE(shown("label"));
  tick(5);
  EXPECT_LT(positions().at("A").y, still.at("A").y) << "falling again";
  // The refill timer (30 steps) had run about 10 steps when paused; the pause did not count.
  tick(12);
  EXPECT_EQ(stones(), before_refill);
  tick(7);
  EXPECT_EQ(stones(), before_refill + 1);

  // Leaving the running game (Menu) pauses it for the player; coming back resumes it.
  scene->slot__on_deactivate(nullptr);
  scene->slot__on_activate(nullptr);
  tick();
  EXPECT_EQ(paused.packs.size(), 2u);
  EXPECT_EQ(resumed.packs.size(), 2u);
}

}  // namespace
