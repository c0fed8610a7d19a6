// Sprites per frame from 1 and from 100 surfaces, and particle sets in the four modes, drawn by
// the OpenGL driver; SFML 2.5 draws the same sprite scene where it is installed.
// Run under an X server: xvfb-run -a -s "-screen 0 1024x768x24 -noreset" build-bench/bin/video_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <GLFW/glfw3.h>

#include "../support/thread_clock.h"
#include "carrow/config.h"
#include "opengl_video.h"

#ifdef HAVE_SFML
#include <SFML/Graphics.hpp>
#endif

namespace {

constexpr int kWidth = 800, kHeight = 600, kSpriteSize = 32;

// One window at a time, kept across runs of the same mode: X servers limit their clients.
OpenGL_Video* open_driver(bool vbo, bool point_sprite, benchmark::State& state) {
  static std::unique_ptr<OpenGL_Video> video;
  static std::pair<bool, bool> mode;
  if (video && mode == std::make_pair(vbo, point_sprite)) {
    glfwMakeContextCurrent(video->window());  // another window's context may be current
    return video.get();
  }
  video.reset();
  mode = {vbo, point_sprite};
  config_remove("BenchVideo");
  config_create("BenchVideo", "libquorra", true);
  Config_Interface* config = config_get_interface("BenchVideo");
  const std::pair<const char*, const char*> values[] = {
      {"Width", "800"},      {"Height", "600"},         {"FullScreen", "no"},
      {"HideMouse", "no"},   {"VBO", vbo ? "yes" : "no"}, {"PointSprite", point_sprite ? "yes" : "no"}};
  for (const auto& [key, value] : values) config->set_value(std::string("Video->") + key, value, true);
  video = std::make_unique<OpenGL_Video>("BenchVideo", "Video->");
  if (!video->_init()) {
    state.SkipWithError(("no window: " + video->_get_error()).c_str());
    video.reset();
    return nullptr;
  }
  return video.get();
}

struct Placement {
  float x, y, degrees;
};

std::vector<Placement> placements(int n) {
  std::mt19937 random(42);
  std::uniform_real_distribution<float> coord(-1.0f, 0.9f), angle(0, 360);
  std::vector<Placement> out(n);
  for (auto& p : out) p = {coord(random), coord(random), angle(random)};
  return out;
}

// Times the driver from the first queued sprite to the moment before the swap.
class DriverClock {
public:
  explicit DriverClock(OpenGL_Video& video) {
    video.set_before_swap([this] { total_ += thread_cpu_seconds() - start_; });
  }
  void start() { start_ = thread_cpu_seconds(); }
  double total() const { return total_; }

private:
  double start_ = 0, total_ = 0;
};

void report(benchmark::State& state, double driver_seconds, double items_per_frame, const char* per) {
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                             benchmark::Counter::kIsRate);
  state.counters[per] = driver_seconds * 1e6 / (state.iterations() * items_per_frame);
}

void BM_DriverSprites(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), surfaces = static_cast<int>(state.range(1));
  OpenGL_Video* video = open_driver(true, true, state);
  if (!video) return;
  for (int s = 0; s < surfaces; ++s) {
    const std::string name = "s" + std::to_string(s);
    video->_create_surface(kSpriteSize, kSpriteSize, name, "bench", false);
    auto* data = static_cast<unsigned char*>(video->_get_surface(name, "bench")->_get_surface_data());
    for (int i = 0; i < kSpriteSize * kSpriteSize * 4; ++i) data[i] = static_cast<unsigned char>(i * 7 + s);
  }
  std::vector<Video_Sprite*> sprites;
  const auto places = placements(n);
  for (int i = 0; i < n; ++i) {
    const std::string name = "sp" + std::to_string(i);
    video->_create_sprite(name, "bench", "s" + std::to_string(i % surfaces), "bench", false);
    Video_Sprite* sprite = video->_get_sprite(name, "bench");
    sprite->_set_coord(places[i].x, places[i].y);
    sprite->_set_rotation(places[i].degrees);
    sprites.push_back(sprite);
  }
  DriverClock clock(*video);
  for (auto _ : state) {
    clock.start();
    for (Video_Sprite* sprite : sprites) video->_draw_sprite(sprite);
    video->_flip();
  }
  report(state, clock.total(), n, "driver_us_per_sprite");
  video->set_before_swap(nullptr);
  for (int i = 0; i < n; ++i) video->_remove_sprite("sp" + std::to_string(i), "bench");
  for (int s = 0; s < surfaces; ++s) video->_remove_surface("s" + std::to_string(s), "bench");
}
BENCHMARK(BM_DriverSprites)
    ->ArgNames({"sprites", "surfaces"})
    ->ArgsProduct({{1000, 10000, 50000}, {1, 100}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

#ifdef HAVE_SFML
// The same scene with one sf::VertexArray of quads per texture, rebuilt every frame as the
// driver rebuilds its batches.
void BM_SfmlSprites(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), surfaces = static_cast<int>(state.range(1));
  sf::RenderWindow window(sf::VideoMode(kWidth, kHeight), "bench", sf::Style::Titlebar);
  window.setVerticalSyncEnabled(false);
  std::vector<sf::Texture> textures(surfaces);
  std::vector<sf::Uint8> pixels(kSpriteSize * kSpriteSize * 4);
  for (int s = 0; s < surfaces; ++s) {
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<sf::Uint8>(i * 7 + s);
    textures[s].create(kSpriteSize, kSpriteSize);
    textures[s].update(pixels.data());
    textures[s].setSmooth(true);  // the driver magnifies with GL_LINEAR too
  }
  const auto places = placements(n);
  std::vector<sf::VertexArray> batches(surfaces, sf::VertexArray(sf::Quads));
  double driver = 0;
  for (auto _ : state) {
    const double start = thread_cpu_seconds();
    for (auto& batch : batches) batch.clear();
    for (int i = 0; i < n; ++i) {
      sf::Transform transform;
      const float px = (places[i].x + 1) * 0.5f * kWidth, py = (1 - places[i].y) * 0.5f * kHeight;
      transform.translate(px, py).rotate(-places[i].degrees);
      sf::VertexArray& batch = batches[i % surfaces];
      const float s = kSpriteSize;
      const sf::Vector2f corners[4] = {{0, 0}, {0, -s}, {s, -s}, {s, 0}};
      const sf::Vector2f tex[4] = {{0, s}, {0, 0}, {s, 0}, {s, s}};
      for (int c = 0; c < 4; ++c)
        batch.append(sf::Vertex(transform.transformPoint(corners[c]), sf::Color::White, tex[c]));
    }
    window.clear();
    for (int s = 0; s < surfaces; ++s) window.draw(batches[s], &textures[s]);
    driver += thread_cpu_seconds() - start;
    window.display();
  }
  report(state, driver, n, "driver_us_per_sprite");
}
BENCHMARK(BM_SfmlSprites)
    ->ArgNames({"sprites", "surfaces"})
    ->ArgsProduct({{1000, 10000, 50000}, {1, 100}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
#endif

// Every particle of every set is set again (as a burst does each frame), then the sets are drawn.
void BM_Particles(benchmark::State& state) {
  const bool vbo = state.range(0) != 0, points = state.range(1) != 0;
  const int sets = static_cast<int>(state.range(2)), per_set = static_cast<int>(state.range(3));
  OpenGL_Video* video = open_driver(vbo, points, state);
  if (!video) return;
  video->_create_surface(8, 8, "dot", "bench", true);
  std::vector<Video_Particles*> all;
  for (int s = 0; s < sets; ++s) {
    const std::string name = "p" + std::to_string(s);
    video->_create_particles(name, "bench", "dot", "bench", per_set, false);
    Video_Particles* set = video->_get_particles(name, "bench");
    set->_set_particle_size(8);
    all.push_back(set);
  }
  const auto places = placements(per_set);
  DriverClock clock(*video);
  float fade = 1;
  double setting = 0;
  const double particles = static_cast<double>(sets) * per_set;
  for (auto _ : state) {
    clock.start();
    const double start = thread_cpu_seconds();
    fade = fade > 0.1f ? fade - 0.01f : 1;
    for (int s = 0; s < sets; ++s)
      for (int i = 0; i < per_set; ++i)
        all[s]->_set_particle(i, places[i].x, places[i].y, 255, 255, 255, fade);
    setting += thread_cpu_seconds() - start;
    for (int s = 0; s < sets; ++s) video->_draw_particles("p" + std::to_string(s), "bench", false);
    video->_flip();
  }
  report(state, clock.total(), particles, "driver_us_per_particle");
  // The share spent filling the sets; the rest is queueing, upload and the GL draw calls.
  state.counters["set_us_per_particle"] = setting * 1e6 / (state.iterations() * particles);
  video->set_before_swap(nullptr);
  for (int s = 0; s < sets; ++s) video->_remove_particles("p" + std::to_string(s), "bench");
}
BENCHMARK(BM_Particles)
    ->ArgNames({"vbo", "points", "sets", "per_set"})
    ->ArgsProduct({{1, 0}, {1, 0}, {100}, {50}})
    ->ArgsProduct({{1, 0}, {1, 0}, {10}, {5000}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
