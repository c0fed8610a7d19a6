#pragma once
// The windowless driver as the suites that render into memory use it: the real windowless
// driver (the OpenGL driver's storage rules and messages, frames counted by _flip, the last
// frame's draw list, events scheduled for a frame) with a few switches for tests. Surfaces count
// their uploads, and a 0-pixel-high surface is allowed unless refuse_empty_surfaces is set.
// Built as the plug-in "libtest_memory_video"; tests reach its state with memory_video().

#include <string>
#include <utility>
#include <vector>

#include "headless_video.h"

class MemorySurface : public HeadlessSurface {
public:
  bool _create(int w, int h) override {
    if (w < 0 || h < 0 || w > 32768 || h > 32768) return false;
    width_ = w;
    height_ = h;
    texture_width_ = power_of_two(w);
    texture_height_ = power_of_two(h);
    pixels_->width = w;
    pixels_->height = h;
    pixels_->texture_width = texture_width_;
    pixels_->texture_height = texture_height_;
    pixels_->data.assign(static_cast<size_t>(texture_width_) * texture_height_ * 4, 0);
    pixels_->dirty = true;
    return true;
  }
  void _update() override {
    HeadlessSurface::_update();
    ++updates;
  }
  int updates = 0;

private:
  static int power_of_two(int v) {
    int p = v > 0 ? 1 : 0;
    while (p < v) p <<= 1;
    return p;
  }
};

using MemoryKey = std::pair<std::string, std::string>;  // group, name

class MemoryVideo : public Headless_Video {
public:
  MemoryVideo() : Headless_Video("", "Video->") {}

  using Headless_Video::_create_surface;
  bool _create_surface(int w, int h, std::string name, std::string group, bool replace) override {
    if (refuse_next_surface) {
      refuse_next_surface = false;
      set_error("refused for the test");
      return false;
    }
    if (refuse_empty_surfaces && (w < 1 || h < 1)) {
      set_error("Can`t crfeate surface");
      return false;
    }
    if (!Headless_Video::_create_surface(w, h, std::move(name), std::move(group), replace))
      return false;
    ++surfaces_created;
    return true;
  }
  // The settings stay the defaults: 800 x 600, and no configuration is needed.
  bool _init() override { return true; }
  Event _get_event() override {
    ++events_taken;
    return Headless_Video::_get_event();
  }

  // The surface kept under (name, group), or null; leaves the error text alone.
  MemorySurface* surface(const std::string& name, const std::string& group) {
    const std::string error = _get_error();
    auto* found = static_cast<MemorySurface*>(_get_surface(name, group));
    set_error(error);
    return found;
  }
  // Back to a fresh driver: no surfaces, sprites, queued draws or events; counters and switches
  // cleared.
  void reset() {
    Headless_Video::reset();
    surfaces_created = 0;
    events_taken = 0;
    refuse_next_surface = refuse_empty_surfaces = false;
  }

  int surfaces_created = 0;
  long events_taken = 0;   // _get_event calls, empty polls included
  // The next _create_surface fails with "refused for the test".
  bool refuse_next_surface = false;
  // Behave like drivers whose surfaces need at least one row and one column.
  bool refuse_empty_surfaces = false;

protected:
  Video_Surface* new_surface() override { return new MemorySurface(); }
};

// The driver kept under `name`, created from the plug-in the first time.
inline MemoryVideo* memory_video(const std::string& name) {
  if (video_get_interface(name) == nullptr &&
      !video_create(name, "libtest_memory_video", nullptr, 0, 0))
    return nullptr;
  return static_cast<MemoryVideo*>(video_get_interface(name));
}
