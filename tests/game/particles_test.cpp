// Bursts of removed stones in a real world: their bodies, their fade and their end.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <thread>

#include "GameEngine/GameObjects/stone_particles/stone_particles.h"
#include "game_fixture.h"
#include "window_picture.h"

using namespace game_test;
using ::testing::HasSubstr;

namespace {

class Bursts : public GameField {
protected:
  // A scene whose bursts have the given particle count and life time.
  void load_with_bursts(int count, float life_time, const std::string& more_keys = "") {
    load(scene_with("", "[@SCENE@StoneParticles]\n\tparticleCount " + std::to_string(count) + "\n\tlifeTime " +
                            std::to_string(life_time) + "\n" + more_keys + "[/]\n"));
  }
  // The burst of a stone (of the given kind) placed and taken out by hand at (x, y).
  StoneParticles* burst_at(const std::string& stone_name, float x, float y, int type = 0) {
    BaseStone* stone = place(stone_name, type, x, y);
    scene->burst(stone);
    return dynamic_cast<StoneParticles*>(scene->get_object(stone_name + "particles"));
  }
  static void wait(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }
  int particle_bodies() {
    int n = 0;
    for (b2Body* b = scene->get_world()->GetBodyList(); b; b = b->GetNext())
      n += b->GetFixtureList() && b->GetFixtureList()->GetFilterData().categoryBits == 0x0004;
    return n;
  }
};

TEST_F(Bursts, BodiesFilterAndLeaveWithTheBurst) {
  load_with_bursts(12, 0.3f);
  StoneParticles* burst = burst_at("S", 0.0f, 0.0f);
  ASSERT_NE(burst, nullptr);
  EXPECT_EQ(burst->_get_particle_count(), 12);
  ASSERT_EQ(burst->_get_bodies().size(), 12u);
  EXPECT_EQ(particle_bodies(), 12);  // loaded twice (by load, then by the stone), bodies made once
  b2Body* body = burst->_get_bodies()[0];
  const b2Filter filter = body->GetFixtureList()->GetFilterData();
  EXPECT_EQ(filter.categoryBits, 0x0004);
  EXPECT_EQ(filter.maskBits, 0x0003);
  EXPECT_TRUE(body->IsBullet());
  EXPECT_TRUE(body->IsFixedRotation());
  EXPECT_EQ(field_stone_of(body), nullptr);
  // Each particle flies as a 3.5 x 3.5 box of density 1 thrown by an impulse of -1000, 0 or 1000
  // on each axis would; together they weigh what one such box does.
  const float speed = 1000.0f / (3.5f * 3.5f);
  float mass = 0.0f;
  for (b2Body* b : burst->_get_bodies()) {
    mass += b->GetMass();
    const b2Vec2 v = b->GetLinearVelocity();
    for (float component : {v.x, v.y}) EXPECT_NEAR(std::abs(component) * (std::abs(component) - speed), 0, 0.1);
  }
  EXPECT_NEAR(mass, 3.5f * 3.5f, 0.01f);
  const std::string name = scene->get_name();
  EXPECT_NE(video()->_get_particles("Sparticlesparticles", name), nullptr);
  EXPECT_NE(video()->_get_surface("SparticlesparticlesSurface", name), nullptr);

  play_for(0.35);
  EXPECT_FALSE(has("Sparticles"));
  EXPECT_EQ(particle_bodies(), 0);
  EXPECT_EQ(video()->_get_particles("Sparticlesparticles", name), nullptr);
  EXPECT_EQ(video()->_get_surface("SparticlesparticlesSurface", name), nullptr);
}

TEST_F(Bursts, FadeLinearlyOverTheLifeTime) {
  load_with_bursts(3, 4.0f);
  burst_at("S", 0.0f, 0.0f);
  frame();
  Video_Particles* set = video()->_get_particles("Sparticlesparticles", scene->get_name());
  ASSERT_NE(set, nullptr);
  float x, y, a;
  int r, g, b;
  ASSERT_TRUE(set->_get_particle(0, &x, &y, &r, &g, &b, &a));
  EXPECT_GT(a, 0.5f);
  EXPECT_EQ(r, 255);
  play_for(2.0);
  ASSERT_TRUE(set->_get_particle(0, &x, &y, &r, &g, &b, &a));
  EXPECT_LE(a, 0.5f);  // at least half the life time has passed
}

TEST_F(Bursts, EmptyBurstStillLastsItsLifeTime) {
  load_with_bursts(0, 0.3f);
  StoneParticles* burst = burst_at("S", 0.0f, 0.0f);
  ASSERT_NE(burst, nullptr);
  EXPECT_TRUE(burst->_get_bodies().empty());
  EXPECT_NE(video()->_get_particles("Sparticlesparticles", scene->get_name()), nullptr);
  frame();
  EXPECT_TRUE(has("Sparticles"));
  play_for(0.35);
  EXPECT_FALSE(has("Sparticles"));
}

TEST_F(Bursts, BurstWithoutItsPictureIsNotStartedAndLeavesNothing) {
  load(scene_with("", "[@SCENE@StoneParticles]\n\timageFile res/no/such/picture\n[/]\n"));
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  StoneParticles* burst = burst_at("S", 0.0f, 0.0f);
  testing::internal::GetCapturedStdout();
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(burst, nullptr);
  EXPECT_THAT(err, HasSubstr("Can't load image:"));
  EXPECT_THAT(err, HasSubstr("Unable to load main object"));
  EXPECT_EQ(particle_bodies(), 0);
  EXPECT_EQ(video()->_get_particles("Sparticlesparticles", scene->get_name()), nullptr);
  EXPECT_EQ(video()->_get_surface("SparticlesparticlesSurface", scene->get_name()), nullptr);
  frame();  // the game goes on
}

TEST_F(Bursts, ParticlesPushStonesButNotEachOther) {
  load_with_bursts(40, 5.0f);
  BaseStone* neighbour = place("N", 1, 0.1f, 0.0f);
  const b2Vec2 before = neighbour->_get_body()->GetPosition();
  burst_at("A", 0.0f, 0.0f);
  burst_at("B", 0.0f, 0.0f);
  step(30);
  EXPECT_NE(neighbour->_get_body()->GetPosition(), before);
  // Two bursts born in one place overlap and pass through each other without contacts.
  int particle_contacts = 0;
  for (b2Contact* c = scene->get_world()->GetContactList(); c; c = c->GetNext())
    particle_contacts += c->GetFixtureA()->GetFilterData().categoryBits == 0x0004 &&
                         c->GetFixtureB()->GetFilterData().categoryBits == 0x0004;
  EXPECT_EQ(particle_contacts, 0);
}

// The game's own field: its walls, its gravity, a first batch laid out as the emitter lays it.
class BurstsInThePile : public Bursts {
protected:
  void SetUp() override {
    Bursts::SetUp();
    std::ifstream file("res/game/level.lvl");
    std::stringstream level;
    level << file.rdbuf();
    ASSERT_FALSE(level.str().empty());
    load(scene_with("\tgravity_y -60\n", "[@SCENE@StoneParticles]\n\tlifeTime 0.2\n[/]\n"), level.str());
    srand(7);
    for (int i = 0; i < 54; ++i) {
      names.push_back("S" + std::to_string(i));
      place(names.back(), 0, -0.48f + (i % 9) * 0.12f, 0.78f + (i / 9) * 0.24f)->_set_type(100 + i);
    }
    step(600);
    frame();  // the stones take their places from their bodies
  }
  // The stones still in the scene.
  std::vector<BaseStone*> stones() {
    std::vector<BaseStone*> live;
    for (const std::string& name : names)
      if (auto* stone = dynamic_cast<BaseStone*>(scene->get_object(name))) live.push_back(stone);
    return live;
  }
  static float scene_y(BaseStone* stone) { return world_to_scene(stone->_get_body()->GetPosition().y); }
  static float scene_x(BaseStone* stone) { return world_to_scene(stone->_get_body()->GetPosition().x); }
  // Steps the world n times, noting the fastest stone and the highest one.
  void watch(int n) {
    for (int i = 0; i < n; ++i) {
      step(1);
      for (BaseStone* stone : stones()) {
        fastest = std::max(fastest, stone->_get_body()->GetLinearVelocity().Length());
        highest = std::max(highest, scene_y(stone));
      }
    }
  }

  std::vector<std::string> names;
  float fastest = 0.0f, highest = -2.0f;
};

TEST_F(BurstsInThePile, AGroupBurstingAtTheBottomJostlesThePileButKeepsItInTheField) {
  std::vector<BaseStone*> pile = stones();
  ASSERT_EQ(pile.size(), 54u);
  float top = -2.0f;
  for (BaseStone* stone : pile) top = std::max(top, scene_y(stone));
  // The three lowest stones share faces in the bottom of the V floor: make them one group.
  std::sort(pile.begin(), pile.end(), [](BaseStone* a, BaseStone* b) { return scene_y(a) < scene_y(b); });
  for (int i = 0; i < 3; ++i) pile[i]->_set_type(0);
  frame();
  ASSERT_EQ(stones().size(), 51u);
  ASSERT_EQ(particle_bodies(), 3 * 50);

  watch(30);  // the bursts' half second at 60 frames a second
  play_for(0.25);
  ASSERT_EQ(particle_bodies(), 0);
  watch(240);

  // Stones that fall into the gap are slower than this; a stone this fast leaves the window.
  EXPECT_LT(fastest, 80.0f);
  EXPECT_LT(highest, top + 0.1f);
  EXPECT_EQ(stones().size(), 51u);
  for (BaseStone* stone : stones()) {
    EXPECT_LT(std::abs(scene_x(stone)), 0.64f) << stone->_get__object_name_() << " is beyond the side walls";
    EXPECT_GT(scene_y(stone), -0.95f) << stone->_get__object_name_() << " went through the floor";
  }
}

// One still particle in the middle of the window, read back from the X server. Its box spans 3.5
// world units: 28 x 21 pixels; the corners lie outside the round particle picture.
class BurstPicture : public Bursts {
protected:
  static constexpr int kHalfWidth = 14, kHalfHeight = 10;

  void show_one_particle(const std::string& keys, int stone_type = 0) {
    load_with_bursts(1, 5.0f, keys);
    video()->_flip();  // a blank frame: nothing older can pass for the burst's
    StoneParticles* burst = burst_at("S", 0.0f, 0.0f, stone_type);
    ASSERT_NE(burst, nullptr);
    scene->dispose_stone(dynamic_cast<BaseStone*>(scene->get_object("S")));
    burst->_get_bodies().at(0)->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
    frame();
    width = video()->_get_width();
    height = video()->_get_height();
    // The server may show the frame a moment after the swap.
    for (int attempt = 0; attempt < 20; ++attempt) {
      picture = std::make_unique<WindowPicture>(width, height);
      if (picture->taken() && picture->brightness(width / 2, height / 2) > 100) break;
      wait(0.05);
    }
    ASSERT_TRUE(picture->taken());
    EXPECT_GT(picture->brightness(width / 2, height / 2), 100);
  }
  // The brightest pixel within one pixel of the box's corner (sx, sy).
  int corner_brightness(int sx, int sy) {
    int brightest = 0;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        brightest = std::max(brightest, picture->brightness(width / 2 + sx * kHalfWidth + dx,
                                                            height / 2 + sy * kHalfHeight + dy));
    return brightest;
  }

  int width = 0, height = 0;
  std::unique_ptr<WindowPicture> picture;
};

TEST_F(BurstPicture, ParticleBoxesAreOutlinedByDefault) {
  show_one_particle("");
  for (int sx : {-1, 1})
    for (int sy : {-1, 1}) EXPECT_GT(corner_brightness(sx, sy), 200) << "corner " << sx << "," << sy;
}

TEST_F(BurstPicture, WithoutOutlinesParticlesAreDrawnRound) {
  show_one_particle("\toutline false\n");
  for (int sx : {-1, 1})
    for (int sy : {-1, 1}) EXPECT_LT(corner_brightness(sx, sy), 40) << "corner " << sx << "," << sy;
  const auto middle = picture->colour(width / 2, height / 2);
  // The particle picture's own pale colour, untinted.
  EXPECT_GT(std::min({middle.red, middle.green, middle.blue}), 120) << middle.red << " " << middle.green << " " << middle.blue;
}

// The first stone kind is red, the second blue: their bursts are too.
TEST_F(BurstPicture, WithTheStonesColourARedStoneBurstsRed) {
  show_one_particle("\toutline false\n\tstoneColour true\n", 0);
  const auto middle = picture->colour(width / 2, height / 2);
  EXPECT_GT(middle.red, 150) << middle.red << " " << middle.green << " " << middle.blue;
  EXPECT_LT(std::max(middle.green, middle.blue), 110) << middle.red << " " << middle.green << " " << middle.blue;
}

TEST_F(BurstPicture, WithTheStonesColourABlueStoneBurstsBlue) {
  show_one_particle("\toutline false\n\tstoneColour true\n", 1);
  const auto middle = picture->colour(width / 2, height / 2);
  EXPECT_GT(middle.blue, 120) << middle.red << " " << middle.green << " " << middle.blue;
  EXPECT_LT(middle.red, 100) << middle.red << " " << middle.green << " " << middle.blue;
  EXPECT_GT(middle.blue, middle.green + 30) << middle.red << " " << middle.green << " " << middle.blue;
}

TEST_F(Bursts, ManyBurstsLeaveNothingBehindInTheDriver) {
  load_with_bursts(5, 0.05f);
  for (int round = 0; round < 20; ++round) burst_at("S" + std::to_string(round), -0.9f + round * 0.09f, 0.5f);
  // A second burst under a name in use is dropped, not left behind.
  scene->burst(dynamic_cast<BaseStone*>(scene->get_object("S0")));
  EXPECT_EQ(particle_bodies(), 20 * 5);
  play_for(0.1);
  for (int round = 0; round < 20; ++round) {
    const std::string name = "S" + std::to_string(round) + "particles";
    EXPECT_FALSE(has(name));
    EXPECT_EQ(video()->_get_particles(name, scene->get_name()), nullptr);
    EXPECT_EQ(video()->_get_surface(name + "particlesSurface", scene->get_name()), nullptr);
  }
  EXPECT_EQ(particle_bodies(), 0);
}

}  // namespace
