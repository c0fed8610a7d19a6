// CPU time per frame of the game scene with 50, 200 and 1,000 stones in a wide field: the Box2D
// step, and everything else the game does in a frame (group searches, positions, sprite queueing,
// the scene's draw walk). Beside it a bare Box2D world with the same bodies, stepped alike.
// The driver's end of frame (rendering) is not counted.

#include <benchmark/benchmark.h>
#include <box2d/box2d.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "../support/thread_clock.h"
#include "GameEngine/GameObjects/basestone/basestone.h"
#include "GameEngine/GameObjects/stoneemitter/stoneemitter.h"
#include "GameEngine/physscene/physscene.h"
#include "game_engine.h"
#include "olvane/video.h"

namespace {

const int MOVING_FRAMES = 300;
const int SETTLED_FRAMES = 100;
const int MAX_SETTLING_STEPS = 2000;

std::string write_file(const std::string& name, const std::string& text) {
  const std::string path = "/tmp/tarnvale_game_bench_" + name;
  std::ofstream(path) << text;
  return path;
}

// A zigzag floor of three V's (walls turned by 45 degrees, as in the game's level) across the
// whole width, and side walls three stories high.
std::string wide_level() {
  std::string level = "[Borders]\n";
  int i = 0;
  auto wall = [&](const char* image, float x, float y, int rotation) {
    level += "[border" + std::to_string(i++) + "]\ntype Border\n[SceneObject]\nabsolute_x " + std::to_string(x) +
             "\nabsolute_y " + std::to_string(y) + "\n[/]\n[Image]\nimage_file " + image + "\n[/]\n[Border]\nrotation " +
             std::to_string(rotation) + "\n[/]\n[/]\n";
  };
  for (float centre : {-1.27f, 0.0f, 1.27f}) {
    wall("res/game/wall.png", centre - 0.3322f, -0.6522f, -45);
    wall("res/game/wall.png", centre + 0.3322f, -0.6522f, 45);
  }
  for (float y : {-0.15f, 1.35f, 2.85f}) {
    wall("res/game/wall_tall.png", -1.92f, y, 90);
    wall("res/game/wall_tall.png", 1.92f, y, 90);
  }
  return level + "[/]\n";
}

// The shipped field's settling key: each step in sub-steps, so the pile settles enough to sleep.
const char* const SETTLING_KEYS = "subSteps 8\n";

PhysScene* load_field(int stones, bool settling_keys) {
  static int count = 0;
  const std::string name = "bench" + std::to_string(++count);
  const std::string level = write_file(name + ".lvl", wide_level());
  const std::string scene_file = write_file(
      name + ".scn", "[Scene]\ngravity_y -60\n" + std::string(settling_keys ? SETTLING_KEYS : "") + "level " + level +
                         "\n[Objects]\n[Object0]\nname emitter\n[/]\n[/]\n[/]\n[Objects]\n[emitter]\ntype StoneEmitter\n"
                         "[StoneEmitter]\nstoneName res/game/stone\ninitialEmit 0\n[/]\n[/]\n[/]\n");
  auto* scene = new PhysScene();
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_storage_file(scene_file);
  scene->set_file_manager(game_test::engine_files());
  scene->load_scene();
  auto* emitter = dynamic_cast<StoneEmitter*>(scene->get_object("emitter"));
  for (int i = 0; i < stones; ++i) {
    BaseStone* stone = emitter->place_stone("Stone" + std::to_string(i), i % 5, -1.8f + (i % 31) * 0.12f,
                                            -0.2f + (i / 31) * 0.12f);
    // Every stone its own kind: no group ever leaves, so the count stays what is measured.
    stone->_set_type(1000 + i);
  }
  return scene;
}

// The same bodies in a world of their own.
b2World* bare_copy(b2World* world) {
  auto* bare = new b2World(world->GetGravity());
  for (b2Body* body = world->GetBodyList(); body; body = body->GetNext()) {
    b2BodyDef def;
    def.type = body->GetType();
    def.position = body->GetPosition();
    def.angle = body->GetAngle();
    def.fixedRotation = body->IsFixedRotation();
    def.bullet = body->IsBullet();
    b2Body* copy = bare->CreateBody(&def);
    for (b2Fixture* fixture = body->GetFixtureList(); fixture; fixture = fixture->GetNext()) {
      b2FixtureDef fixture_def;
      fixture_def.shape = fixture->GetShape();
      fixture_def.density = fixture->GetDensity();
      fixture_def.friction = fixture->GetFriction();
      fixture_def.restitution = fixture->GetRestitution();
      fixture_def.filter = fixture->GetFilterData();
      copy->CreateFixture(&fixture_def);
    }
  }
  return bare;
}

int awake_bodies(b2World* world) {
  int awake = 0;
  for (b2Body* body = world->GetBodyList(); body; body = body->GetNext())
    awake += body->GetType() == b2_dynamicBody && body->IsAwake();
  return awake;
}

struct FrameCosts {
  double step = 0, game = 0, bare = 0;
};

FrameCosts run_frames(PhysScene* scene, b2World* bare, int frames) {
  Video_Interface* video = video_get_interface("Video");
  FrameCosts costs;
  for (int frame = 0; frame < frames; ++frame) {
    double start = thread_cpu_seconds();
    scene->step_world();
    costs.step += thread_cpu_seconds() - start;
    start = thread_cpu_seconds();
    scene->Scene::draw();
    costs.game += thread_cpu_seconds() - start;
    video->_flip();
    start = thread_cpu_seconds();
    bare->Step(scene->get_time_step(), scene->get_velocity_iterations(), scene->get_position_iterations());
    costs.bare += thread_cpu_seconds() - start;
  }
  for (double* cost : {&costs.step, &costs.game, &costs.bare}) *cost = *cost * 1e6 / frames;
  return costs;
}

// With `settled`, also the frames after the pile has come to rest (which takes minutes at
// 1,000 stones).
void measure_frames(benchmark::State& state, bool settled_too) {
  std::string error;
  if (!game_test::start_game_engine(&error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  const int stones = static_cast<int>(state.range(0));
  for (auto _ : state) {
    PhysScene* scene = load_field(stones, state.range(1) != 0);
    b2World* bare = bare_copy(scene->get_world());
    const FrameCosts moving = run_frames(scene, bare, MOVING_FRAMES);
    state.counters["moving_step_us"] = moving.step;
    state.counters["moving_game_us"] = moving.game;
    state.counters["moving_bare_step_us"] = moving.bare;
    state.counters["moving_frame_vs_bare"] = (moving.step + moving.game) / moving.bare;
    state.counters["moving_game_us_per_stone"] = moving.game / stones;
    if (settled_too) {
      for (int i = 0; i < MAX_SETTLING_STEPS && awake_bodies(scene->get_world()) > 0; ++i) {
        scene->step_world();
        bare->Step(scene->get_time_step(), scene->get_velocity_iterations(), scene->get_position_iterations());
      }
      const FrameCosts settled = run_frames(scene, bare, SETTLED_FRAMES);
      state.counters["settled_step_us"] = settled.step;
      state.counters["settled_game_us"] = settled.game;
      state.counters["settled_bare_step_us"] = settled.bare;
      state.counters["settled_game_us_per_stone"] = settled.game / stones;
      state.counters["settled_awake_bodies"] = awake_bodies(scene->get_world());
    }
    scene->slot__on_deactivate(nullptr);
    delete scene;
    delete bare;
  }
}

void BM_GameFrame(benchmark::State& state) { measure_frames(state, true); }
void BM_MovingFrame(benchmark::State& state) { measure_frames(state, false); }

// Second argument: 0 the keys' defaults, 1 the shipped field's settling keys.
BENCHMARK(BM_GameFrame)
    ->ArgsProduct({{50, 200, 1000}, {0, 1}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingFrame)->Args({1000, 0})->Args({1000, 1})->Iterations(1)->Unit(benchmark::kMillisecond);

// The hint's search for a swap that makes a group, on a settled field where none does (every
// stone its own kind): the most it costs, in the one frame that runs it.
void BM_HintSearch(benchmark::State& state) {
  std::string error;
  if (!game_test::start_game_engine(&error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  PhysScene* scene = load_field(static_cast<int>(state.range(0)), false);
  for (int i = 0; i < MAX_SETTLING_STEPS && awake_bodies(scene->get_world()) > 0; ++i) scene->step_world();
  for (auto _ : state) benchmark::DoNotOptimize(scene->field().find_swap());
  scene->slot__on_deactivate(nullptr);
  delete scene;
}
BENCHMARK(BM_HintSearch)->Arg(50)->Arg(200)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
