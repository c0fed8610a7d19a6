// The physics scene, its level and walls, and the stone emitter, on the real engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>


#include "GameEngine/GameObjects/border/border.h"
#include "game_fixture.h"
#include "tessim/time.h"

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
  // The stepped clock: a loaded machine cannot make a step due between two frames.
  Time::use_stepped_clock();
  load(scene_with("\tgravity_y -5\n\ttimeStep 0.3\n"));
  BaseStone* stone = place("S", 0, 0, 0);
  Time::advance_stepped_clock(1.0);
  frame();  // three steps were due: one is taken
  EXPECT_FLOAT_EQ(stone->_get_body()->GetLinearVelocity().y, -5 * 0.3f);
  frame();  // right after: none is due
  EXPECT_FLOAT_EQ(stone->_get_body()->GetLinearVelocity().y, -5 * 0.3f);
  Time::use_real_clock();
}

TEST_F(PhysicsScene, SubStepsSplitTheStepAndBadOnesFallBackToOne) {
  load(scene_with("\tgravity_y -5\n\ttimeStep 0.3\n\tsubSteps 3\n"));
  EXPECT_EQ(scene->get_sub_steps(), 3);
  BaseStone* stone = place("S", 0, 0, 0);
  step(1);  // three sub-steps of 0.1 s: the same speed as one step of 0.3 s
  EXPECT_NEAR(stone->_get_body()->GetLinearVelocity().y, -5 * 0.3f, 1e-5);
  EXPECT_NEAR(world_to_scene(stone->_get_body()->GetPosition().y), -5 * 0.1f * 0.1f * (1 + 2 + 3) / 50, 1e-6);
  for (const char* bad : {"0", "-2", "nan", "65", "1e30"}) {
    TearDown();
    CaptureStderr();
    load(scene_with(std::string("\tsubSteps ") + bad + "\n"));
    const std::string err = GetCapturedStderr();
    EXPECT_EQ(scene->get_sub_steps(), 1) << bad;
    EXPECT_THAT(err, HasSubstr(std::string("Scene->subSteps \"") + bad + "\" is ")) << bad;
    EXPECT_THAT(err, HasSubstr("; using 1\n")) << bad;
  }
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

namespace {

// Two emitters side by side, five stones each at the first draw.
std::string two_emitters() {
  std::string text = "[Scene]\n\tlevel @LEVEL@\n\t[Objects]\n\t\t[Object0]\n\t\t\tname left\n\t\t[/]\n"
         "\t\t[Object1]\n\t\t\tname right\n\t\t[/]\n\t[/]\n[/]\n[Objects]\n";
  for (auto [name, x] : {std::pair{"left", "-0.5"}, {"right", "0.5"}})
    text += std::string("\t[") + name + "]\n\t\ttype StoneEmitter\n\t\t[SceneObject]\n\t\t\tabsolute_x " + x +
            "\n\t\t[/]\n\t\t[StoneEmitter]\n\t\t\tstoneName res/game/stone\n\t\t\twidth 0.3\n"
            "\t\t\tinitialEmit 5\n\t\t\temitCount 3\n\t\t[/]\n\t[/]\n";
  return text + "[/]\n";
}

}  // namespace

TEST_F(Emitter, TwoEmittersInOneSceneNameTheirStonesApart) {
  load(two_emitters());
  frame();
  SlotArgs args;
  EXPECT_TRUE(send_signal_to("", &args, scene->get_name() + "->left->emit"));
  EXPECT_TRUE(send_signal_to("", &args, scene->get_name() + "->right->emit"));
  // Counted before the world steps: the second rows land on the first ones and may make a group.
  // Every stone is in the scene under its own name with a picture of its own, each in its half.
  std::vector<BaseStone*> stones;
  for (const std::string& name : scene->get_object_names())
    if (auto* stone = dynamic_cast<BaseStone*>(scene->get_object(name))) {
      stones.push_back(stone);
      EXPECT_EQ(video()->_get_sprite(name, scene->get_name()), stone->_get__sprite_()) << name;
    }
  ASSERT_EQ(stones.size(), 16u);
  int left = 0;
  for (BaseStone* stone : stones) left += scene_x(stone) < 0.0f;
  EXPECT_EQ(left, 8);
  for (size_t i = 0; i < stones.size(); ++i)
    for (size_t j = i + 1; j < stones.size(); ++j) EXPECT_NE(stones[i]->_get__sprite_(), stones[j]->_get__sprite_());
  for (int i = 0; i < 5; ++i) frame();
  stones.clear();
  for (const std::string& name : scene->get_object_names())
    if (auto* stone = dynamic_cast<BaseStone*>(scene->get_object(name))) stones.push_back(stone);
  ASSERT_FALSE(stones.empty());

  // A stone offered under a taken name is refused before it touches the first one's picture.
  Video_Sprite* first = stones[0]->_get__sprite_();
  CaptureStderr();
  auto* left_emitter = dynamic_cast<StoneEmitter*>(scene->get_object("left"));
  EXPECT_EQ(left_emitter->place_stone(stones[0]->_get__object_name_(), 1, 0.0f, 0.5f), nullptr);
  EXPECT_THAT(GetCapturedStderr(), HasSubstr("is in the scene already"));
  EXPECT_EQ(video()->_get_sprite(stones[0]->_get__object_name_(), scene->get_name()), first);
  frame();
}
