// The field's rules on a bare Box2D world: no window, no scene, no pictures.

#include <gtest/gtest.h>

#include <deque>

#include "GameEngine/physscene/field_model.h"
#include "GameEngine/physscene/physscene.h"

namespace {

using Kind = FieldEvent::Kind;
const float SIDE = 0.08f;  // scene units

class Field : public ::testing::Test {
protected:
  Field() : world(b2Vec2(0.0f, 0.0f)) {
    model.set_world(&world);
    // As the game scene does: a cleared group leaves the world at once.
    model.set_listener([this](const FieldEvent& event) {
      events.push_back(event);
      if (event.kind != Kind::GROUP_CLEARED) return;
      for (FieldStone* gone : event.stones) {
        world.DestroyBody(gone->body);
        gone->body = nullptr;
      }
    });
    model.set_score_source([this] { return score; });
  }

  // An upright square stone (the game turns them by 45 degrees; the rules do not care).
  FieldStone* stone(int kind, float x, float y, b2BodyType type = b2_dynamicBody, float density = 1.0f) {
    FieldStone& made = stones.emplace_back();
    made.kind = kind;
    made.width = made.height = SIDE;
    BoxBodyDef def;
    def.type = type;
    def.position = scene_to_world(x, y);
    def.half_width = def.half_height = SIDE * WORLD_SCALE * 0.5f;
    def.density = density;
    def.fixed_rotation = true;
    def.user_data = &made;
    made.body = create_box_body(&world, def);
    return &made;
  }
  // A row of stones of the given kinds, face to face from (x, y) to the right.
  std::vector<FieldStone*> row(const std::vector<int>& kinds, float x, float y) {
    std::vector<FieldStone*> made;
    for (size_t i = 0; i < kinds.size(); ++i) made.push_back(stone(kinds[i], x + SIDE * i, y));
    return made;
  }
  // The contacts of where the stones are now.
  void touch() { world.Step(1.0f / 60.0f, 10, 10); }
  std::vector<Kind> kinds() const {
    std::vector<Kind> seen;
    for (const FieldEvent& event : events) seen.push_back(event.kind);
    return seen;
  }

  b2World world;
  FieldModel model;
  std::deque<FieldStone> stones;
  std::vector<FieldEvent> events;
  long score = 0;
};

TEST_F(Field, GroupsAreStonesOfOneKindJoinedFaceToFace) {
  auto line = row({0, 0, 0, 1}, 0.0f, 0.0f);
  auto pair = row({2, 2}, -0.6f, 0.0f);
  // Corner to corner, and face to face shifted by half a side: neither makes a group.
  for (int i = 0; i < 3; ++i) stone(3, 0.0f + i * SIDE, 0.5f + i * SIDE);
  for (int i = 0; i < 3; ++i) stone(4, 0.0f + i * SIDE, -0.5f + i * SIDE * 0.5f);
  touch();
  EXPECT_EQ(FieldModel::find_group(line[0]->body, 0).size(), 3u);
  // The start counts only through a neighbour of the searched kind.
  EXPECT_EQ(FieldModel::find_group(line[3]->body, 1).size(), 0u);
  EXPECT_EQ(FieldModel::find_group(line[2]->body, 1).size(), 1u);
  EXPECT_EQ(FieldModel::find_group(pair[0]->body, 2).size(), 2u);
  EXPECT_EQ(FieldModel::find_group(stones[7].body, 3).size(), 0u);
  EXPECT_EQ(FieldModel::find_group(stones[10].body, 4).size(), 0u);

  for (FieldStone& each : stones) model.settle(&each);
  ASSERT_EQ(kinds(), std::vector<Kind>{Kind::GROUP_CLEARED}) << "the line of three, once";
  const FieldEvent& cleared = events[0];
  EXPECT_EQ(cleared.stones.size(), 3u);
  EXPECT_EQ(cleared.origin, line[0]);
  EXPECT_EQ(cleared.stone_kind, 0);
  EXPECT_NEAR(cleared.centre.x, SIDE, 1e-4);
  EXPECT_NEAR(cleared.centre.y, 0.0f, 1e-4);
  EXPECT_EQ(cleared.points, 3);
  EXPECT_EQ(cleared.multiplier, 0) << "no swap, no cascade";
}

TEST_F(Field, AGroupWaitsForItsTravellingStonesAndAFallenStoneLeaves) {
  auto line = row({0, 0, 0}, 0.0f, 0.0f);
  FieldStone* fallen = stone(1, 0.0f, -2.5f);
  touch();
  line[1]->motion.travel(b2Vec2(SIDE, 0.0f), 60.0);
  EXPECT_FALSE(model.settle(line[0]));
  EXPECT_TRUE(model.settle(fallen));
  ASSERT_EQ(kinds(), std::vector<Kind>{Kind::OUT_OF_FIELD});
  EXPECT_EQ(events[0].stones[0], fallen);
  // The travel's end changes nothing in the world, yet the waiting group goes then.
  line[1]->motion = StoneMotion();
  EXPECT_TRUE(model.settle(line[0]));
  EXPECT_EQ(kinds().back(), Kind::GROUP_CLEARED);
}

TEST_F(Field, TheSecondClickJudgesTheSwap) {
  // 1 0 0 with a 0 above the 1: swapping the 1 and the 0 above it makes a row of three.
  auto line = row({1, 0, 0}, 0.0f, 0.0f);
  FieldStone* above = stone(0, 0.0f, SIDE);
  FieldStone* far = stone(2, 0.5f, 0.5f);
  touch();
  b2Body* low = line[0]->body;

  model.click(above);
  model.click(above);
  EXPECT_EQ(model.selected(), above) << "the same stone twice keeps it selected";
  model.click(far);
  EXPECT_EQ(model.selected(), nullptr);
  model.click(line[1]);
  model.click(line[0]);
  model.click(line[0]);
  model.click(above);
  ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::STONE_SELECTED, Kind::OUT_OF_REACH, Kind::STONE_SELECTED,
                                        Kind::SWAP_REJECTED, Kind::STONE_SELECTED, Kind::SWAP_STOOD}));
  EXPECT_GT(events[1].distance, events[1].reach);
  EXPECT_EQ(events[3].group_sizes, (std::vector<size_t>{2, 0})) << "both places looked at";
  EXPECT_EQ(field_stone_of(low), above) << "the stones changed places";
  EXPECT_EQ(above->body, low);
  EXPECT_EQ(field_stone_of(line[1]->body), line[1]) << "the rejected swap was undone";

  model.click(line[1]);
  ASSERT_TRUE(model.toggle_pause());
  model.click(line[2]);
  EXPECT_EQ(events.size(), 7u) << "no moves while paused";
  model.forget(line[1]);
  EXPECT_EQ(model.selected(), nullptr);
}

TEST_F(Field, GroupsThatTheSwapsBurstsSetFallingScoreMoreWaveByWaveAndTheRefillsOwnScorePlainly) {
  FieldModel::Rules rules;
  rules.cascade_scoring = true;
  rules.group_bonus = 2;
  rules.unearned_percent = 50;
  model.set_rules(rules);
  auto line = row({1, 0, 0}, 0.0f, 0.0f);
  FieldStone* above = stone(0, 0.0f, SIDE);
  auto later = row({3, 3, 3}, 0.0f, 0.5f);
  FieldStone* falling = stone(3, 3 * SIDE, 0.5f + 2 * SIDE);
  touch();
  model.click(line[0]);
  model.click(above);
  events.clear();

  model.begin_frame();
  model.settle(above);
  // Resting when the swap's group went, it falls into place after: the cascade's second wave.
  falling->body->SetTransform(scene_to_world(3 * SIDE, 0.5f), 0.0f);
  // A row the refill drops meanwhile makes a group of its own.
  auto refill = row({4, 4, 4, 4}, 0.0f, -0.5f);
  touch();
  model.begin_frame();
  model.settle(refill[0]);
  model.settle(later[0]);
  ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::GROUP_CLEARED, Kind::GROUP_CLEARED, Kind::CASCADE_STEP,
                                        Kind::GROUP_CLEARED}));
  EXPECT_EQ(events[0].points, 3);
  EXPECT_EQ(events[0].multiplier, 1);
  EXPECT_TRUE(events[0].set_off);
  EXPECT_FALSE(events[1].set_off);
  EXPECT_EQ(events[1].times, 1);
  EXPECT_EQ(events[1].points, (4 + 2) / 2) << "plainly, at the refill's share";
  EXPECT_EQ(events[2].multiplier, 2);
  EXPECT_EQ(events[3].points, (4 + 2) * 2) << "a stone beyond three, second wave";
  EXPECT_EQ(model.multiplier(), 2);

  for (int i = 0; i < 17; ++i) model.after_step(1.0f / 60.0f);
  EXPECT_EQ(model.multiplier(), 2) << "not yet still long enough";
  for (int i = 0; i < 2; ++i) model.after_step(1.0f / 60.0f);
  EXPECT_EQ(kinds().back(), Kind::CASCADE_ENDED);
  EXPECT_EQ(model.multiplier(), 0);
}

TEST_F(Field, AStoneOfDensityZeroFallsAndRestsOnThePile) {
  world.SetGravity(b2Vec2(0.0f, -60.0f));
  stone(0, 0.0f, 0.0f, b2_staticBody);
  FieldStone* weightless = stone(1, 0.0f, 0.5f, b2_dynamicBody, 0.0f);
  for (int i = 0; i < 120; ++i) touch();
  EXPECT_NEAR(weightless->body->GetPosition().y, scene_to_world(0.0f, SIDE).y, 0.1f) << "it did not hang in the air";
}

TEST_F(Field, APileRestingAboveTheLineEndsTheGameOnce) {
  FieldModel::Rules rules;
  rules.line_set = true;
  rules.line_y = 0.2f;
  rules.hold_seconds = 0.5f;
  model.set_rules(rules);
  stone(0, 0.0f, 0.0f, b2_staticBody);
  FieldStone* high = stone(1, 0.0f, 0.3f);
  touch();
  score = 42;
  for (int i = 0; i < 29; ++i) model.after_step(1.0f / 60.0f);
  EXPECT_TRUE(events.empty());
  high->body->SetLinearVelocity(b2Vec2(0.0f, -5.0f));
  model.after_step(1.0f / 60.0f);
  high->body->SetLinearVelocity(b2Vec2_zero);
  for (int i = 0; i < 29; ++i) model.after_step(1.0f / 60.0f);
  EXPECT_TRUE(events.empty()) << "a falling stone starts the wait again";
  model.after_step(1.0f / 60.0f);
  model.end(FieldEvent::Reason::NO_ROOM);
  ASSERT_EQ(kinds(), std::vector<Kind>{Kind::GAME_OVER});
  EXPECT_EQ(events[0].reason, FieldEvent::Reason::PILE_OVER_LINE);
  EXPECT_EQ(events[0].score, 42);
  EXPECT_FALSE(model.toggle_pause()) << "an ended game does not pause";
}

TEST_F(Field, RoomPaceAndHint) {
  stone(0, -0.5f, 0.0f, b2_staticBody);
  FieldStone* resting = stone(1, -0.5f, SIDE);
  FieldStone* passing = stone(2, 0.5f, 0.5f);
  passing->body->SetLinearVelocity(b2Vec2(0.0f, -10.0f));
  touch();
  EXPECT_EQ(model.room_at(-0.5f, 0.0f), FieldModel::Room::TAKEN);
  EXPECT_EQ(model.room_at(-0.5f, SIDE), FieldModel::Room::TAKEN) << "resting on the wall";
  EXPECT_EQ(model.room_at(0.5f, passing->body->GetPosition().y / WORLD_SCALE - 1.0f), FieldModel::Room::PASSING);
  EXPECT_EQ(model.room_at(0.0f, -0.7f), FieldModel::Room::FREE);
  EXPECT_EQ(model.find_swap().first, nullptr) << "no swap of " << resting << " makes a group";
  model.look_for_hint();
  EXPECT_EQ(kinds(), std::vector<Kind>{Kind::NO_MOVE});
  events.clear();

  auto line = row({1, 0, 0}, 0.0f, 0.0f);
  FieldStone* above = stone(0, 0.0f, SIDE);
  touch();
  const auto [first, second] = model.find_swap();
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(FieldModel::swap_makes_group(first, second));
  EXPECT_TRUE((first == line[0] && second == above) || (first == above && second == line[0]));
  model.look_for_hint();
  ASSERT_EQ(kinds(), std::vector<Kind>{Kind::HINT});
  EXPECT_EQ(events[0].stones, (std::vector<FieldStone*>{first, second}));
  events.clear();
  // A swap that makes a group of four is the best one.
  row({2, 1, 2, 2}, 0.0f, -0.5f);
  stone(2, SIDE, -0.5f + SIDE);
  touch();
  const auto best = model.best_swap();
  ASSERT_TRUE(best.first && best.second);
  EXPECT_EQ(FieldModel::largest_group_after_swap(best.first, best.second), 4u);

  FieldModel::Rules rules;
  rules.pace_scores = {10, 20};
  model.set_rules(rules);
  score = 15;
  EXPECT_EQ(model.pace_level(), 2);
  model.reach_level(2);
  model.reach_level(2);
  score = 20;
  model.reach_level(model.pace_level());
  ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::LEVEL_REACHED, Kind::LEVEL_REACHED}));
  EXPECT_EQ(events[1].level, 3);
}

}  // namespace
