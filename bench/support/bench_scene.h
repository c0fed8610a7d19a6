#pragma once
// A generic scene loaded from a file and activated, as the drawing benchmarks use it.
#include <benchmark/benchmark.h>

#include <functional>
#include <iostream>
#include <string>

#include "brannow/brannow.h"
#include "olvane/video.h"
#include "thread_clock.h"
#include "voskar/scenemanager.h"

// The scene, or null when it does not load. Its objects' "loaded" lines are not printed.
inline Scene* load_active_scene(const std::string& name, const std::string& file,
                                Brannow::FileManager* files) {
  Scene* scene = SceneFabric()["generic"];
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_storage_file(file);
  scene->set_file_manager(files);
  std::cerr.setstate(std::ios::failbit);
  const bool loaded = scene->load_scene();
  std::cerr.clear();
  if (!loaded) return nullptr;
  scene->slot__on_activate(nullptr);
  return scene;
}

// One frame per iteration: `before_draw`, the scene's draw, the driver's flip. The iteration time
// is the thread's CPU time up to the flip; counters give it per object and the flip's apart.
inline void time_scene_frames(benchmark::State& state, Scene* scene, Video_Interface* video,
                              int objects, const std::function<void()>& before_draw = {}) {
  double draw_seconds = 0, flip_seconds = 0;
  for (auto _ : state) {
    const double start = thread_cpu_seconds();
    if (before_draw) before_draw();
    scene->draw();
    const double drawn = thread_cpu_seconds();
    video->_flip();
    flip_seconds += thread_cpu_seconds() - drawn;
    draw_seconds += drawn - start;
    state.SetIterationTime(drawn - start);
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["us_per_object"] = draw_seconds * 1e6 / (frames * objects);
  state.counters["flip_ms"] = flip_seconds * 1e3 / frames;
}
