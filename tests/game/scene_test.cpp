// The physics scene, its level and walls, and the stone emitter, on the real engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "GameEngine/GameObjects/border/border.h"
#include "game_fixture.h"

using namespace game_test;
using ::testing::HasSubstr;
using ::testing::internal::CaptureStderr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStderr;
using ::testing::internal::GetCapturedStdout;

namespace {

const std::string WALL = "\t\ttype Border\n\t\t[Image]\n\t\t\timage_file res/game/wall.png\n\t\t[/]\n";

float scene_x(SceneObject* stone) {
  return world_to_scene(dynamic_cast<BaseStone*>(stone)->_get_body()->GetPosition().x);
}
float scene_y(SceneObject* stone) {
  return world_to_scene(dynamic_cast<BaseStone*>(stone)->_get_body()->GetPosition().y);
}

using PhysicsScene = GameField;

TEST_F(PhysicsScene, SettingsTakeTheirDefaultsAndTruncateIterations) {
  load();
  EXPECT_EQ(scene->get_gravity_x(), 0.0f);
  EXPECT_EQ(scene->get_gravity_y(), 0.0f);
  EXPECT_FLOAT_EQ(scene->get_time_step(), 0.0166666666f);
  EXPECT_EQ(scene->get_velocity_iterations(), 10);
  EXPECT_EQ(scene->get_position_iterations(), 10);
  TearDown();
  load(scene_with("\tvelocityIterations 7.9\n\tpositionIterations 3\n\tgravity_x 1.5\n\tgravity_y -9\n"));
  EXPECT_EQ(scene->get_velocity_iterations(), 7);
  EXPECT_EQ(scene->get_position_iterations(), 3);
  EXPECT_EQ(scene->get_world()->GetGravity(), b2Vec2(1.5f, -9.0f));
}

TEST_F(PhysicsScene, AtMostOneStepPerDrawAndOnlyWhenDue) {
  // Steps long enough that a frame drawn on a loaded machine still comes "right after".
  load(scene_with("\tgravity_y -5\n\ttimeStep 0.5\n"));
  BaseStone* stone = place("S", 0, 0, 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  frame();  // three steps were due: one is taken
  EXPECT_FLOAT_EQ(stone->_get_body()->GetLinearVelocity().y, -5 * 0.5f);
  frame();  // right after: none is due
  EXPECT_FLOAT_EQ(stone->_get_body()->GetLinearVelocity().y, -5 * 0.5f);
}

TEST_F(PhysicsScene, LevelWallsComeFirstNamedByIndexAtLevelTwo) {
  CaptureStdout();
  CaptureStderr();
  load(scene_with(""), "[Borders]\n\t[border0]\n" + WALL + "\t[/]\n\t[border1]\n" + WALL +
                           "\t\t[Border]\n\t\t\trotation 90\n\t\t[/]\n\t[/]\n\t[border3]\n" + WALL + "\t[/]\n[/]\n");
  const std::string out = GetCapturedStdout(), err = GetCapturedStderr();
  EXPECT_THAT(out, HasSubstr("INFO:LEVEL DATA FOR FILE:" + scene->get_level_file() + "\n"));
  EXPECT_THAT(out, HasSubstr("INFO:LEVEL DATA ENDED\n"));
  EXPECT_THAT(err, HasSubstr("boxr:-0.45:-0.02 0.45:0.02\nbox:22.5:1\n"));
  EXPECT_NE(scene->get_object("border0->"), nullptr);
  EXPECT_NE(scene->get_object("border1->"), nullptr);
  EXPECT_EQ(scene->get_object("border3->"), nullptr);  // the list ends at the gap
  EXPECT_EQ(scene->get_object_names().front(), "border0->");

  // The turned wall's box is turned with it: long along y, short along x.
  Border* turned = dynamic_cast<Border*>(scene->get_object("border1->"));
  EXPECT_NEAR(turned->_get_body()->GetAngle(), b2_pi / 2, 1e-6);
  EXPECT_TRUE(turned->_is_point_in_object(0.0f, 0.4f));
  EXPECT_FALSE(turned->_is_point_in_object(0.4f, 0.0f));
  EXPECT_NEAR(turned->_get__sprite_()->_get_rotation(), b2_pi / 2, 1e-6);
  // Walls stay put.
  step(60);
  EXPECT_EQ(turned->_get_body()->GetPosition(), scene_to_world(0, 0));
}

TEST_F(PhysicsScene, UnknownTypeInTheLevelFailsTheLoadAndKeepsWhatCameBefore) {
  CaptureStderr();
  scene = new PhysScene();
  scene->set_name("broken_level");
  scene->set_video_name("Video");
  const std::string level = scratch.write("broken.lvl", "[Borders]\n\t[border0]\n" + WALL +
                                                            "\t[/]\n\t[border1]\n\t\ttype Boulder\n\t[/]\n[/]\n");
  scene->set_storage_file(scratch.write("broken.scn", "[Scene]\n\tlevel " + level + "\n[/]\n"));
  scene->set_file_manager(files());
  EXPECT_FALSE(scene->load_scene());
  const std::string err = GetCapturedStderr();
  EXPECT_THAT(err, HasSubstr("(PhysScene::load_scene):Can't load object\"border1->\" from file \"" + level + "\"\n"));
  EXPECT_THAT(err, HasSubstr("(PhysScene::load_scene):No object of type \"Boulder\"\n"));
  EXPECT_NE(scene->get_object("border0->"), nullptr);
  EXPECT_FALSE(scene->scene_loaded());
}

using Emitter = GameField;

TEST_F(Emitter, DefaultLayoutRowsOfElevenThenNumberedOnAcrossBatches) {
  load(scene_with("", "", "\t\t\tstoneWidth 0.0625\n\t\t\tstoneHeight 0.0625\n\t\t\tinitialEmit 50\n"));
  frame();
  StoneEmitter* e = emitter();
  EXPECT_EQ(e->_get_emitted(), 50);
  EXPECT_EQ(e->_get_stone_type_count(), 5);
  EXPECT_NEAR(scene_x(scene->get_object("Stone0")), -0.4375f, 1e-4);
  EXPECT_NEAR(scene_y(scene->get_object("Stone0")), 0.0625f, 1e-4);
  EXPECT_NEAR(scene_x(scene->get_object("Stone10")), 0.5f, 1e-4);
  EXPECT_NEAR(scene_x(scene->get_object("Stone11")), -0.4375f, 1e-4);
  EXPECT_NEAR(scene_y(scene->get_object("Stone11")), 0.25f, 1e-4);
  EXPECT_NEAR(scene_y(scene->get_object("Stone49")), 0.0625f + 4 * 0.1875f, 1e-4);
  EXPECT_EQ(scene->get_object("Stone50"), nullptr);

  // The emit slot adds the emit count, numbered on; the first draw's batch does not come again.
  SlotArgs args;
  EXPECT_TRUE(send_signal_to("", &args, scene->get_name() + "->emitter->emit"));
  frame();
  EXPECT_EQ(e->_get_emitted(), 60);
  EXPECT_NE(scene->get_object("Stone50"), nullptr);
  EXPECT_NE(scene->get_object("Stone59"), nullptr);
  EXPECT_EQ(scene->get_object("Stone60"), nullptr);
  for (const std::string& name : scene->get_object_names())
    if (auto* stone = dynamic_cast<BaseStone*>(scene->get_object(name))) {
      EXPECT_GE(stone->_get_type(), 0);
      EXPECT_LT(stone->_get_type(), 5);
    }
}

TEST_F(Emitter, NarrowAreaAndIntegerBases) {
  load(scene_with("", "", "\t\t\tstoneWidth 0.0625\n\t\t\twidth 0.1\n\t\t\temitCount 0x3\n"));
  EXPECT_EQ(emitter()->_get_emit_count(), 3);
  EXPECT_EQ(emitter()->startEmit(3), 3);
  EXPECT_NEAR(scene_x(scene->get_object("Stone0")), 0.0125f, 1e-5);
  EXPECT_NEAR(scene_x(scene->get_object("Stone1")), 0.10625f, 1e-5);
  EXPECT_NEAR(scene_x(scene->get_object("Stone2")), 0.0125f, 1e-5);
  EXPECT_NEAR(scene_y(scene->get_object("Stone2")), 0.08f + 0.24f, 1e-5);
  for (auto [count, kinds] : {std::pair{"010", 8}, {"0x10", 16}}) {
    TearDown();
    load(scene_with("", "", std::string("\t\t\tstoneTypeCount ") + count + "\n"));
    EXPECT_EQ(emitter()->_get_stone_type_count(), kinds);
  }
}

TEST_F(Emitter, InitialBatchOnlyOnceEvenWhenEmpty) {
  load();
  frame();
  EXPECT_TRUE(emitter()->_get_initial_done());
  EXPECT_EQ(emitter()->_get_emitted(), 0);
  frame();
  EXPECT_EQ(emitter()->_get_emitted(), 0);
}

TEST_F(Emitter, StonesThatCannotLoadEndTheEmission) {
  load(scene_with("", "", "\t\t\tstoneName res/game/missing\n"));
  const int bodies = body_count();
  CaptureStderr();
  EXPECT_EQ(emitter()->startEmit(20), 0);
  const std::string err = GetCapturedStderr();
  EXPECT_THAT(err, HasSubstr("(StoneEmitter::startEmit):Unable to load Image subobject: Can't load image:"));
  EXPECT_THAT(err, HasSubstr("(StoneEmitter::startEmit):Emission stopped: 10 stones in a row failed to load"));
  EXPECT_EQ(emitter()->_get_emitted(), 0);
  EXPECT_EQ(body_count(), bodies);
  EXPECT_EQ(scene->get_object("Stone0"), nullptr);
}

TEST_F(Emitter, EveryStoneHasExactlyOneBody) {
  load(scene_with("", "", "\t\t\tinitialEmit 12\n"));
  frame();
  int stones = 0;
  for (const std::string& name : scene->get_object_names()) stones += dynamic_cast<BaseStone*>(scene->get_object(name)) != nullptr;
  EXPECT_EQ(stones, 12);
  EXPECT_EQ(body_count(), 12);
}

}  // namespace
