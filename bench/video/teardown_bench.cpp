// Time to free what a driver holds: _deinit with N sprites on one surface, N surfaces with a
// sprite each, and N particle sets, right after making them (warm) and with the caches filled
// with other data first (cold). The storage and its teardown are the OpenGL driver's; the
// windowless driver that shares them is used, so that no window is made and closed per run.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../support/thread_clock.h"
#include "carrow/config.h"
#include "headless_video.h"

namespace {

Headless_Video& driver() {
  static Headless_Video* video = [] {
    config_create("TeardownConfig", "libquorra", true);
    Config_Interface* config = config_get_interface("TeardownConfig");
    config->set_value("Video->Width", "800", true);
    config->set_value("Video->Height", "600", true);
    auto* made = new Headless_Video("TeardownConfig", "Video->");
    made->_init();
    return made;
  }();
  return *video;
}

enum Kind { SPRITES_ON_ONE_SURFACE, SURFACES_WITH_A_SPRITE, PARTICLE_SETS };

void fill(Headless_Video& video, Kind kind, int n) {
  video._create_surface(16, 16, "shared", "g", true);
  for (int i = 0; i < n; ++i) {
    const std::string name = "item" + std::to_string(i);
    if (kind == PARTICLE_SETS) {
      video._create_particles(name, "g", "shared", "g", 4, true);
      continue;
    }
    if (kind == SURFACES_WITH_A_SPRITE) video._create_surface(16, 16, name, "g", true);
    video._create_sprite(name, "g", kind == SURFACES_WITH_A_SPRITE ? name : "shared", "g", true);
  }
}

// Writes more memory than the caches hold, so that the driver's items are no longer in them, as
// when a game ends long after its pictures were made. Just after fill, 10,000 items still fit
// the caches and 40,000 do not: the ratio of warm runs measures the cache, not the teardown.
void evict_caches() {
  static std::vector<char> other(std::size_t{256} << 20);
  static char value = 0;
  ++value;
  for (std::size_t i = 0; i < other.size(); i += 64) other[i] = value;
  benchmark::DoNotOptimize(other.data());
}

void BM_Deinit(benchmark::State& state) {
  Headless_Video& video = driver();
  const Kind kind = static_cast<Kind>(state.range(0));
  const int n = static_cast<int>(state.range(1));
  const bool cold = state.range(2) != 0;
  double seconds = 0;
  for (auto _ : state) {
    fill(video, kind, n);
    if (cold) evict_caches();
    const double start = thread_cpu_seconds();
    video._deinit();
    const double took = thread_cpu_seconds() - start;
    seconds += took;
    state.SetIterationTime(took);
    video._init();
  }
  state.counters["ms"] = seconds * 1e3 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Deinit)
    ->ArgNames({"kind", "n", "cold"})
    ->ArgsProduct({{SPRITES_ON_ONE_SURFACE, SURFACES_WITH_A_SPRITE, PARTICLE_SETS}, {10000, 40000}, {0, 1}})
    ->UseManualTime()
    ->Iterations(10)  // a cold run writes 256 MB first
    ->Unit(benchmark::kMillisecond);

}  // namespace
