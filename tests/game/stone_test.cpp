// Stones on the real classes in a real world: groups, face contacts, swaps, the selection and
// leaving the field.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game_fixture.h"
#include "process.h"

using namespace game_test;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::internal::CaptureStderr;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStderr;
using ::testing::internal::GetCapturedStdout;

using test_support::count_of;

namespace {

class Stones : public GameField {
protected:
  static b2Vec2 where(BaseStone* stone) { return stone->_get_body()->GetPosition(); }
};

TEST_F(Stones, LineOfThreeGoesOnTheNextDrawWithItsBodiesAndPictures) {
  load();
  const int walls_and_emitter = body_count();
  auto line = diagonal("S", {0, 0, 0}, 0.0f, 0.0f);
  place("Other", 1, 0.0f - FACE_OFFSET, 0.0f + FACE_OFFSET);
  step(1);
  EXPECT_EQ(FieldModel::find_group(line[0]->_get_body(), 0).size(), 3u);
  // The start counts only through a neighbour of the searched kind: "Other" alone.
  b2Body* other = dynamic_cast<BaseStone*>(scene->get_object("Other"))->_get_body();
  EXPECT_EQ(FieldModel::find_group(other, 1).size(), 0u);
  EXPECT_EQ(FieldModel::find_group(line[0]->_get_body(), 1).size(), 1u);

  CaptureStderr();
  frame();
  const std::string err = GetCapturedStderr();
  EXPECT_EQ(count_of(err, "removing object:"), 3);
  EXPECT_FALSE(has("S0") || has("S1") || has("S2"));
  EXPECT_TRUE(has("Other"));
  // Each stone's body went exactly once; the bursts added their own particle bodies.
  int stone_bodies = 0;
  for (b2Body* b = scene->get_world()->GetBodyList(); b; b = b->GetNext()) stone_bodies += stone_of(b) != nullptr;
  EXPECT_EQ(stone_bodies, 1);
  EXPECT_GT(body_count(), walls_and_emitter + 1);
  // Removed stones leave no picture behind in the driver.
  EXPECT_EQ(video()->_get_surface("S0", scene->get_name()), nullptr);
  EXPECT_EQ(video()->_get_sprite("S0", scene->get_name()), nullptr);
}

// A(1) at the origin, B1(0) and B2(last) further along one diagonal, X(0) beside A on the other.
struct SwapLayout {
  BaseStone *a, *b1, *b2, *x;
};

TEST_F(Stones, SwapThatMakesAGroupStandsAndTheGroupGoes) {
  load();
  SwapLayout s{place("A", 1, 0, 0), place("B1", 0, FACE_OFFSET, FACE_OFFSET),
               place("B2", 0, 2 * FACE_OFFSET, 2 * FACE_OFFSET), place("X", 0, FACE_OFFSET, -FACE_OFFSET)};
  step(1);
  const b2Vec2 origin = where(s.a), beside = where(s.x);
  s.x->_on_mouse_release_handler();
  EXPECT_EQ(scene->get_selected_stone(), s.x);
  EXPECT_FLOAT_EQ(s.x->_get__sprite_()->_get_blend_r(), 0.5f);

  CaptureStdout();
  CaptureStderr();
  s.a->_on_mouse_release_handler();
  const std::string out = GetCapturedStdout(), err = GetCapturedStderr();
  EXPECT_THAT(out, HasSubstr("INFO:Dist>maxSize"));
  EXPECT_THAT(out, HasSubstr("=0\n"));
  EXPECT_THAT(err, HasSubstr("(BaseStone::_on_mouse_release_handler):same_type:3\n"));
  EXPECT_EQ(scene->get_selected_stone(), nullptr);
  EXPECT_FLOAT_EQ(s.x->_get__sprite_()->_get_blend_r(), 1.0f);
  EXPECT_EQ(where(s.x), origin);
  EXPECT_EQ(where(s.a), beside);
  EXPECT_EQ(stone_of(s.x->_get_body()), s.x);

  frame();
  EXPECT_TRUE(has("A"));
  EXPECT_FALSE(has("X") || has("B1") || has("B2"));
}

TEST_F(Stones, SwapWithoutAGroupIsUndoneInTheSameCall) {
  load();
  SwapLayout s{place("A", 1, 0, 0), place("B1", 0, FACE_OFFSET, FACE_OFFSET),
               place("B2", 2, 2 * FACE_OFFSET, 2 * FACE_OFFSET), place("X", 0, FACE_OFFSET, -FACE_OFFSET)};
  step(1);
  b2Body* body_a = s.a->_get_body();
  b2Body* body_x = s.x->_get_body();
  s.x->_on_mouse_release_handler();
  CaptureStderr();
  s.a->_on_mouse_release_handler();
  const std::string err = GetCapturedStderr();
  EXPECT_THAT(err, HasSubstr("same_type:2\n"));
  EXPECT_THAT(err, HasSubstr("same_type:0\n"));
  EXPECT_EQ(s.a->_get_body(), body_a);
  EXPECT_EQ(s.x->_get_body(), body_x);
  EXPECT_EQ(stone_of(body_a), s.a);
  EXPECT_EQ(stone_of(body_x), s.x);
  EXPECT_EQ(scene->get_selected_stone(), nullptr);
  frame();
  for (const char* name : {"A", "B1", "B2", "X"}) EXPECT_TRUE(has(name)) << name;
}

TEST_F(Stones, SecondClicksOnTheSameOrAFarStone) {
  load();
  BaseStone* a = place("A", 1, 0, 0);
  BaseStone* far = place("Far", 1, 0.5f, 0);
  step(1);
  a->_on_mouse_release_handler();
  a->_on_mouse_release_handler();
  EXPECT_EQ(scene->get_selected_stone(), a);
  EXPECT_FLOAT_EQ(a->_get__sprite_()->_get_blend_r(), 0.5f);

  CaptureStdout();
  far->_on_mouse_release_handler();
  const std::string out = GetCapturedStdout();
  EXPECT_THAT(out, HasSubstr("INFO:Dist>maxSize0.5>0.096=1\n"));
  EXPECT_EQ(scene->get_selected_stone(), nullptr);
  EXPECT_FLOAT_EQ(a->_get__sprite_()->_get_blend_r(), 1.0f);
  EXPECT_FLOAT_EQ(far->_get__sprite_()->_get_blend_r(), 1.0f);
  EXPECT_NEAR(world_to_scene(far->_get_body()->GetPosition().x), 0.5f, 1e-5);
}

TEST_F(Stones, ClickThroughTheSignalsOfTheRunLoop) {
  load();
  BaseStone* a = place("A", 1, 0.2f, 0.1f);
  frame();  // the scene finds objects under the pointer in its drawing order
  SlotArgs args;
  args.float_params = {0.2f, 0.1f, 0.0f, 0.0f};
  args.int_params = {MOUSE_BUTTON_LEFT};
  rise_signal("Video->mouse_press", &args);
  EXPECT_EQ(scene->get_focus(), a);
  // A short release pack is consumed and changes nothing.
  SlotArgs short_pack;
  short_pack.int_params = {1};
  short_pack.float_params = {0.2f, 0.1f, 0.0f};
  EXPECT_TRUE(rise_signal("Video->mouse_release", &short_pack));
  EXPECT_EQ(scene->get_selected_stone(), nullptr);
  EXPECT_FALSE(rise_signal("Video->mouse_release", &args));
  EXPECT_EQ(scene->get_selected_stone(), a);
  // A press beside the diamond but inside its picture's corner misses it.
  SlotArgs corner;
  corner.float_params = {0.2f + 0.039f, 0.1f + 0.039f, 0, 0};
  corner.int_params = {MOUSE_BUTTON_LEFT};
  EXPECT_FALSE(a->_is_point_in_object(corner.float_params[0], corner.float_params[1]));
  EXPECT_TRUE(a->_is_point_in_object(0.2f + 0.05f, 0.1f));
}

TEST_F(Stones, LeavingTheFieldAndASelectedStoneThatGoes) {
  load();
  BaseStone* right = place("Right", 1, 0, 0);
  BaseStone* low = place("Low", 2, 0.5f, 0);
  place("High", 3, -0.5f, 2.5f);
  step(1);
  low->_on_mouse_release_handler();
  ASSERT_EQ(scene->get_selected_stone(), low);
  right->_get_body()->SetTransform(scene_to_world(2.1f, 0), right->_get_body()->GetAngle());
  low->_get_body()->SetTransform(scene_to_world(0.5f, -2.1f), low->_get_body()->GetAngle());
  const int bodies = body_count();
  CaptureStdout();
  frame();
  const std::string out = GetCapturedStdout();
  EXPECT_THAT(out, Not(HasSubstr("Launching particles")));
  EXPECT_FALSE(has("Right") || has("Low"));
  EXPECT_TRUE(has("High"));
  EXPECT_EQ(body_count(), bodies - 2);
  EXPECT_EQ(scene->get_selected_stone(), nullptr);
}

TEST_F(Stones, StonesFallAndSettleOnAVFloorFaceToFaceWithoutOverlapping) {
  // Two walls turned by 45 degrees meeting at the bottom: the diamonds land face to face.
  const std::string wall = "\t\ttype Border\n\t\t[Image]\n\t\t\timage_file res/game/wall.png\n\t\t[/]\n";
  load(scene_with("\tgravity_y -60\n"),
       "[Borders]\n\t[border0]\n" + wall +
           "\t\t[SceneObject]\n\t\t\tabsolute_x -0.3241\n\t\t\tabsolute_y -0.6241\n\t\t[/]\n"
           "\t\t[Border]\n\t\t\trotation -45\n\t\t[/]\n\t[/]\n\t[border1]\n" +
           wall +
           "\t\t[SceneObject]\n\t\t\tabsolute_x 0.3241\n\t\t\tabsolute_y -0.6241\n\t\t[/]\n"
           "\t\t[Border]\n\t\t\trotation 45\n\t\t[/]\n\t[/]\n[/]\n");
  srand(3);  // the emitter's densities, from 0 to 0.999
  std::vector<BaseStone*> stones;
  for (int i = 0; i < 40; ++i) {
    stones.push_back(place("S" + std::to_string(i), i % 5, -0.5f + (i % 9) * 0.12f, (i / 9) * 0.24f));
    stones.back()->_set_type(100 + i);  // no groups: all of them stay
  }
  step(600);
  int in_the_corner = 0;
  for (BaseStone* stone : stones) {
    b2Body* body = stone->_get_body();
    EXPECT_FALSE(body->IsAwake()) << stone->_get__object_name_();
    EXPECT_NEAR(body->GetAngle(), b2_pi / 4, 1e-6);
    // Every stone rests on a face, not on a corner, and none sinks into another.
    bool face = false;
    for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next)
      face |= edge->contact->IsTouching() && edge->contact->GetManifold()->pointCount == 2;
    EXPECT_TRUE(face) << stone->_get__object_name_();
    for (BaseStone* other : stones) {
      if (other == stone) continue;
      EXPECT_GT(b2Distance(body->GetPosition(), other->_get_body()->GetPosition()), 0.98f * SIDE * WORLD_SCALE);
    }
    const float x = world_to_scene(body->GetPosition().x), y = world_to_scene(body->GetPosition().y);
    in_the_corner += std::abs(x) < 0.01f && std::abs(y - (-0.92f + FACE_OFFSET)) < 0.01f;
  }
  EXPECT_EQ(in_the_corner, 1);
}

}  // namespace
