// The shipped field over long deterministic runs: its walls, physics keys and emitter as the
// game's data give them, refilled by the clock, with bursts at the bottom. Every frame every
// stone stays inside the walls and no two overlap beyond the solver's slop; once nothing falls
// the pile goes to sleep and its picture stops changing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

#include "carrow/config.h"
#include "game_fixture.h"
#include "tessim/time.h"
#include "window_picture.h"

using namespace game_test;

namespace {

const char* const SHIPPED_SCENE = "res/game/game.scn";
// Penetration allowed into a wall or another stone, in world units: Box2D's slop and the
// polygons' skins.
const float TOLERANCE = b2_linearSlop + 2 * b2_polygonRadius;

// One face of a wall, the one that looks into the field: inside is where the normal points.
struct Face {
  b2Vec2 point, normal;
};

class ShippedField : public GameField {
protected:
  void TearDown() override {
    GameField::TearDown();
    Time::use_real_clock();
  }

  // The shipped scene's physics and game-over keys, its level and its emitter; the refill every
  // refill_seconds (the shipped timer's time when 0).
  void load_shipped(float refill_seconds = 0.0f, bool game_over = true) {
    config_create("shipped_game", "libquorra", true);
    Config_Interface* shipped = config_get_interface("shipped_game");
    ASSERT_TRUE(shipped && shipped->load(SHIPPED_SCENE, files()));
    std::string text = "[Scene]\n\tlevel @LEVEL@\n";
    for (const char* key : {"gravity_x", "gravity_y", "timeStep", "velocityIterations", "positionIterations",
                            "subSteps", "gameOverLine", "gameOverHold"}) {
      if (!game_over && std::string(key).rfind("gameOver", 0) == 0) continue;
      const std::string value = shipped->get_value(std::string("Scene->") + key, "");
      if (!value.empty()) text += std::string("\t") + key + " " + value + "\n";
    }
    text += "\t[Objects]\n\t\t[Object0]\n\t\t\tname emitter\n\t\t[/]\n\t[/]\n[/]\n[Objects]\n\t[emitter]\n"
            "\t\ttype StoneEmitter\n\t\t[SceneObject]\n";
    for (const char* key : {"absolute_x", "absolute_y"})
      text += std::string("\t\t\t") + key + " " + shipped->get_value(std::string("Objects->emitter->SceneObject->") + key, "0") + "\n";
    text += "\t\t[/]\n\t\t[StoneEmitter]\n";
    for (const char* key :
         {"stoneName", "stoneTypeCount", "stoneWidth", "stoneHeight", "width", "emitCount", "initialEmit"})
      text += std::string("\t\t\t") + key + " " + shipped->get_value(std::string("Objects->emitter->StoneEmitter->") + key, "") + "\n";
    // The bursts as shipped: whether their particles knock stones about decides how the pile falls.
    text += "\t\t[/]\n\t[/]\n[/]\n[@SCENE@StoneParticles]\n\toutline false\n\thitStones " +
            shipped->get_value("gameStoneParticles->hitStones", "true") + "\n[/]\n";
    refill_frames = static_cast<int>(
        (refill_seconds > 0 ? refill_seconds : atof(shipped->get_value("Objects->refill->Timer->time", "6").c_str())) * 60);
    line = static_cast<float>(atof(shipped->get_value("Scene->gameOverLine", "0.55").c_str()));
    config_remove("shipped_game");

    std::ifstream file("res/game/level.lvl");
    std::stringstream level;
    level << file.rdbuf();
    ASSERT_FALSE(level.str().empty());
    Time::use_stepped_clock();
    load(text, level.str());
    find_wall_faces();
  }

  // The inner face of every wall: the longest side whose outward normal looks at the field's
  // middle, taken as a point above the V floor's bottom between the side walls.
  void find_wall_faces() {
    const b2Vec2 middle(50.0f, 40.0f);
    for (b2Body* body = scene->get_world()->GetBodyList(); body; body = body->GetNext()) {
      if (body->GetType() != b2_staticBody) continue;
      const auto* box = static_cast<const b2PolygonShape*>(body->GetFixtureList()->GetShape());
      Face best{};
      float longest = 0.0f;
      for (int i = 0; i < box->m_count; ++i) {
        const b2Vec2 a = b2Mul(body->GetTransform(), box->m_vertices[i]);
        const b2Vec2 b = b2Mul(body->GetTransform(), box->m_vertices[(i + 1) % box->m_count]);
        const b2Vec2 normal = b2Mul(body->GetTransform().q, box->m_normals[i]);
        if (b2Dot(normal, middle - a) <= 0 || b2Distance(a, b) <= longest) continue;
        longest = b2Distance(a, b);
        best = {a, normal};
      }
      faces.push_back(best);
    }
  }

  // One frame of the game at 60 frames a second: the clock moves on by one step, the scene draws
  // (stepping the world, removing groups, ending bursts), the driver flips.
  void frame() {
    Time::advance_stepped_clock(scene->get_time_step() + 1e-6);
    GameField::frame();
    ++frames;
    if (refill_frames > 0 && frames % refill_frames == 0) emitter()->startEmit(emitter()->_get_emit_count());
  }

  std::vector<BaseStone*> stones() {
    std::vector<BaseStone*> live;
    for (const std::string& name : scene->get_object_names())
      if (auto* stone = dynamic_cast<BaseStone*>(scene->get_object(name)))
        if (stone->_get_body()) live.push_back(stone);
    return live;
  }
  int awake_stones() {
    int awake = 0;
    for (BaseStone* stone : stones()) awake += stone->_get_body()->IsAwake();
    return awake;
  }

  // How far the deepest corner of a stone reaches into a wall, 0 when none does.
  float deepest_in_a_wall(BaseStone* stone) {
    b2Body* body = stone->_get_body();
    const auto* box = static_cast<const b2PolygonShape*>(body->GetFixtureList()->GetShape());
    float deepest = 0.0f;
    for (int i = 0; i < box->m_count; ++i) {
      const b2Vec2 corner = b2Mul(body->GetTransform(), box->m_vertices[i]);
      for (const Face& face : faces) deepest = std::max(deepest, -b2Dot(face.normal, corner - face.point));
    }
    return deepest;
  }
  // The deepest overlap of two touching stones.
  float deepest_overlap() {
    float deepest = 0.0f;
    for (b2Contact* contact = scene->get_world()->GetContactList(); contact; contact = contact->GetNext()) {
      if (!contact->IsTouching() || !stone_of(contact->GetFixtureA()->GetBody()) ||
          !stone_of(contact->GetFixtureB()->GetBody()))
        continue;
      b2WorldManifold manifold;
      contact->GetWorldManifold(&manifold);
      for (int i = 0; i < contact->GetManifold()->pointCount; ++i) {
        const float depth = -manifold.separations[i];
        deepest = std::max(deepest, depth);
        if (!contact->GetFixtureA()->GetBody()->IsAwake() && !contact->GetFixtureB()->GetBody()->IsAwake())
          deepest_resting = std::max(deepest_resting, depth);
      }
    }
    return deepest;
  }
  // Checks the frame's stones: a centre beyond a wall's inner face is a stone out of the field
  // (reported once); the deepest corner in a wall and the deepest overlap are noted.
  void check_containment() {
    for (BaseStone* stone : stones()) {
      worst_wall = std::max(worst_wall, deepest_in_a_wall(stone));
      const b2Vec2 centre = stone->_get_body()->GetPosition();
      for (const Face& face : faces)
        if (b2Dot(face.normal, centre - face.point) < 0 && outside.insert(stone->_get__object_name_()).second)
          ADD_FAILURE() << stone->_get__object_name_() << " left the field at frame " << frames;
    }
    worst_overlap = std::max(worst_overlap, deepest_overlap());
  }
  // Makes the lowest stone and two of its face neighbours one kind: a group of three bursts at
  // the bottom on the next draw.
  bool plant_group_at_the_bottom() {
    std::vector<BaseStone*> pile = stones();
    std::sort(pile.begin(), pile.end(), [](BaseStone* a, BaseStone* b) {
      return a->_get_body()->GetPosition().y < b->_get_body()->GetPosition().y;
    });
    for (BaseStone* low : pile) {
      std::vector<BaseStone*> neighbours;
      for (b2ContactEdge* edge = low->_get_body()->GetContactList(); edge; edge = edge->next)
        if (stone_of(edge->other) && edge->contact->IsTouching() && edge->contact->GetManifold()->pointCount == 2)
          neighbours.push_back(stone_of(edge->other));
      if (neighbours.size() < 2) continue;
      neighbours[0]->_set_type(low->_get_type());
      neighbours[1]->_set_type(low->_get_type());
      return true;
    }
    return false;
  }

  // Whether a stone rests above the game-over line: the field is full.
  bool full() {
    for (BaseStone* stone : stones()) {
      b2Body* body = stone->_get_body();
      if (body->GetLinearVelocity().Length() > 1.0f || world_to_scene(body->GetPosition().y) < line) continue;
      for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next)
        if (edge->contact->IsTouching()) return true;
    }
    return false;
  }

  std::vector<Face> faces;
  float line = 0.0f;
  int refill_frames = 0;
  int frames = 0;
  // Deepest corner in a wall, overlap of two stones, overlap of two sleeping stones.
  float worst_wall = 0.0f, worst_overlap = 0.0f, deepest_resting = 0.0f;
  std::set<std::string> outside;
};

// While stones land at full speed or a burst throws its particles, a stone sinks into another or
// into a wall for a few frames; the bounds say how far, short of what would push it through.
const float LANDING_OVERLAP = 1.0f;  // a quarter of a stone's side
const float WALL_DEPTH = 1.0f;       // half a wall's thickness

TEST_F(ShippedField, StonesStayInsideThroughRefillsAndBurstsAtTheBottom) {
  srand(11);
  load_shipped();
  int bursts = 0;
  for (int second = 0; second < 120 && scene->get_play() != PhysScene::Play::OVER; ++second) {
    for (int i = 0; i < 60; ++i) {
      frame();
      check_containment();
    }
    if (second % 3 == 2) bursts += plant_group_at_the_bottom();
  }
  EXPECT_GT(bursts, 30);
  EXPECT_LT(worst_wall, WALL_DEPTH);
  EXPECT_LT(worst_overlap, LANDING_OVERLAP);
  EXPECT_LE(deepest_resting, TOLERANCE);
}

// Refilled every second up to the game-over line, the field's pile settles without stones crushed
// into each other, goes to sleep within 3 s of the last landing and its picture stands still.
TEST_F(ShippedField, AFastFilledPileSettlesApartSleepsAndStandsStill) {
  srand(12);
  load_shipped(1.0f, false);
  while (frames < 60 * 120 && !full()) {
    frame();
    check_containment();
  }
  ASSERT_TRUE(full());
  refill_frames = 0;
  const int filled = frames;
  // A landing is the last frame a stone fell or was thrown (faster than 5 world units a
  // second); within three seconds of the last one every body sleeps.
  int last_landing = frames;
  while (frames < last_landing + 180 && frames < filled + 60 * 30) {
    frame();
    check_containment();
    for (BaseStone* stone : stones())
      if (stone->_get_body()->GetLinearVelocity().Length() > 5.0f) last_landing = frames;
    if (awake_stones() == 0) break;
  }
  EXPECT_LT(frames, last_landing + 180);
  EXPECT_EQ(awake_stones(), 0);
  EXPECT_GT(stones().size(), 60u);
  EXPECT_LT(worst_wall, WALL_DEPTH);
  EXPECT_LT(worst_overlap, LANDING_OVERLAP);
  EXPECT_LE(deepest_resting, TOLERANCE);

  // The pile's part of the window, two seconds apart.
  const int width = video()->_get_width(), height = video()->_get_height();
  WindowPicture before(width, height);
  for (int i = 0; i < 120; ++i) frame();
  WindowPicture after(width, height);
  ASSERT_TRUE(before.taken() && after.taken());
  int changed = 0;
  for (int y = height / 2; y < height; ++y)
    for (int x = width / 5; x < width * 4 / 5; ++x) {
      const auto a = before.colour(x, y), b = after.colour(x, y);
      changed += a.red != b.red || a.green != b.green || a.blue != b.blue;
    }
  EXPECT_EQ(changed, 0);

  // A group that bursts at the bottom of the sleeping pile wakes what rested on it.
  ASSERT_TRUE(plant_group_at_the_bottom());
  frame();
  EXPECT_GT(awake_stones(), 0);
}

}  // namespace
