// Bursts of removed stones in a real world: their bodies, their fade and their end.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "GameEngine/GameObjects/stone_particles/stone_particles.h"
#include "game_fixture.h"

using namespace game_test;
using ::testing::HasSubstr;

namespace {

class Bursts : public GameField {
protected:
  // A scene whose bursts have the given particle count and life time.
  void load_with_bursts(int count, float life_time) {
    load(scene_with("", "[@SCENE@StoneParticles]\n\tparticleCount " + std::to_string(count) + "\n\tlifeTime " +
                            std::to_string(life_time) + "\n[/]\n"));
  }
  // The burst of a stone placed and taken out by hand at (x, y).
  StoneParticles* burst_at(const std::string& stone_name, float x, float y) {
    BaseStone* stone = place(stone_name, 0, x, y);
    stone->_run_particles();
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
  EXPECT_EQ(body_user_data(body), nullptr);
  // Each impulse is one of -1000, 0, 1000 on each axis.
  for (b2Body* b : burst->_get_bodies()) {
    const b2Vec2 v = b->GetMass() * b->GetLinearVelocity();
    for (float component : {v.x, v.y}) EXPECT_NEAR(std::abs(component) * (std::abs(component) - 1000), 0, 1);
  }
  const std::string name = scene->get_name();
  EXPECT_NE(video()->_get_particles("Sparticlesparticles", name), nullptr);

  wait(0.35);
  frame();
  EXPECT_FALSE(has("Sparticles"));
  EXPECT_EQ(particle_bodies(), 0);
  EXPECT_EQ(video()->_get_particles("Sparticlesparticles", name), nullptr);
  EXPECT_EQ(video()->_get_surface("SparticlesparticlesparticlesSurface", name), nullptr);
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
  wait(2.0);
  frame();
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
  wait(0.35);
  frame();
  EXPECT_FALSE(has("Sparticles"));
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

TEST_F(Bursts, ManyBurstsLeaveNothingBehindInTheDriver) {
  load_with_bursts(5, 0.05f);
  for (int round = 0; round < 20; ++round) burst_at("S" + std::to_string(round), -0.9f + round * 0.09f, 0.5f);
  // A second burst under a name in use is dropped, not left behind.
  dynamic_cast<BaseStone*>(scene->get_object("S0"))->_run_particles();
  EXPECT_EQ(particle_bodies(), 20 * 5);
  wait(0.1);
  frame();
  for (int round = 0; round < 20; ++round) {
    const std::string name = "S" + std::to_string(round) + "particles";
    EXPECT_FALSE(has(name));
    EXPECT_EQ(video()->_get_particles(name, scene->get_name()), nullptr);
  }
  EXPECT_EQ(particle_bodies(), 0);
}

}  // namespace
