#pragma once
// A video driver without a window for the suites that render into memory: surfaces are plain
// pixel buffers, sprites are kept by name, nothing is shown. Surfaces follow the OpenGL driver's
// rules (power-of-two rows, 4 bytes per pixel) and its error texts; a 0-pixel-high surface is
// allowed unless refuse_empty_surfaces is set. Frames are counted by _flip; _get_event hands out
// the events a test scheduled for a frame once that frame has been reached.
// Built as the plug-in "libtest_memory_video"; tests reach its state with memory_video().

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "olvane/video.h"

class MemorySurface : public Video_Surface {
public:
  bool _create(int w, int h) override {
    if (w < 0 || h < 0 || w > 32768 || h > 32768) return false;
    width_ = w;
    height_ = h;
    texture_width_ = power_of_two(w);
    texture_height_ = power_of_two(h);
    pixels_.assign(static_cast<size_t>(texture_width_) * texture_height_ * 4, 0);
    dirty_ = true;
    return true;
  }
  void _update() override {
    dirty_ = false;
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

class MemoryVideo : public Video_Interface {
public:
  void _draw_polygon(std::vector<VideoPoint>) override {}
  Video_Features* _get_features() override { return nullptr; }
  std::string _get_name() override { return "memory"; }
  bool _remove_surface(std::string name, std::string group) override {
    if (surfaces_.erase({group, name}) == 0) return fail("No such surface: " + name);
    return true;
  }
  bool _draw_sprite(Video_Sprite* sprite) override {
    if (sprite == nullptr) return fail("Illegal sprite handler! 0x00000000");
    drawn.push_back({sprite->_get_group(), sprite->_get_name()});
    return true;
  }
  bool _draw_sprite(std::string name, std::string group) override {
    Video_Sprite* sprite = _get_sprite(name, group);
    return sprite != nullptr && _draw_sprite(sprite);
  }
  bool _draw_particles(std::string, std::string, bool) override { return fail("no particles"); }
  bool _remove_sprite(std::string name, std::string group) override {
    if (sprites_.erase({group_or_current(group), name}) == 0) return fail("Sprite not exist: " + name);
    return true;
  }
  bool _create_surface(double w, double h, std::string name, std::string group,
                       bool replace) override {
    return _create_surface(static_cast<int>(_get_width() * w), static_cast<int>(_get_height() * h),
                           name, group, replace);
  }
  bool _create_surface(int w, int h, std::string name, std::string group, bool replace) override {
    if (refuse_next_surface) {
      refuse_next_surface = false;
      return fail("refused for the test");
    }
    if (refuse_empty_surfaces && (w < 1 || h < 1)) return fail("Can`t crfeate surface");
    auto surface = std::make_unique<MemorySurface>();
    if (!surface->_create(w, h)) return fail("Can`t crfeate surface");
    const MemoryKey key{group_or_current(group), name};
    if (surfaces_.count(key) != 0 && !replace) return fail("Surface already exist: " + name);
    surfaces_[key] = std::move(surface);
    ++surfaces_created;
    return true;
  }
  bool _set_group(std::string group) override {
    group_ = group;
    return true;
  }
  std::string _get_group() override { return group_; }
  std::string _get_info() override { return "memory video"; }
  Video_Surface* _get_surface(std::string name, std::string group) override {
    if (MemorySurface* found = surface(name, group)) return found;
    fail("Surface not exist: " + name);
    return nullptr;
  }
  Video_Particles* _get_particles(std::string, std::string) override { return nullptr; }
  Video_Sprite* _get_sprite(std::string name, std::string group) override {
    if (Video_Sprite* found = kept(sprites_, name, group)) return found;
    fail("Sprite not exist: " + name);
    return nullptr;
  }
  bool _create_sprite(std::string name, std::string group, std::string surface_name,
                      std::string surface_group, bool replace) override {
    const MemoryKey key{group, name};
    if (sprites_.count(key) != 0 && !replace) return fail("Sprite already exist: " + name);
    auto sprite = std::make_unique<Video_Sprite>(name, group, this);
    sprite->_set_surface(this, surface_name, surface_group);
    sprites_[key] = std::move(sprite);
    return true;
  }
  bool _create_particles(std::string, std::string, std::string, std::string, int, bool) override {
    return fail("no particles");
  }
  void _enable_mouse_button_events(bool) override {}
  void _enable_key_events(bool) override {}
  void _enable_char_events(bool) override {}
  void _enable_mouse_move_events(bool) override {}
  void _flip() override {
    ++frames;
    last_frame.swap(drawn);
    drawn.clear();
    auto due = scheduled_.find(frames);
    if (due == scheduled_.end()) return;
    events_.insert(events_.end(), due->second.begin(), due->second.end());
    scheduled_.erase(due);
  }
  short _get_width() override { return 800; }
  short _get_height() override { return 600; }
  bool _init() override { return true; }
  bool _deinit() override { return true; }
  std::string _get_error() override { return error_; }
  void _get_mouse_position(double* x, double* y) override { *x = *y = 0; }
  void _get_mouse_position(int* x, int* y) override { *x = *y = 0; }
  // No button is ever held: released, as the OpenGL driver answers for a button not pressed.
  void _get_mouse_button_state(MOUSE_BUTTON*, EVENT_TYPE* state) override {
    if (state != nullptr) *state = MOUSE_RELEASE;
  }
  Event _get_event() override {
    ++events_taken;
    if (events_.empty()) return Event();
    Event event = events_.front();
    events_.pop_front();
    return event;
  }
  bool _is_point_in_sprite(double, double, double, double, std::string, std::string) override {
    return false;
  }
  bool _set_cursor_sprite(std::string, std::string) override { return false; }
  void _show_mouse(bool visible) override { mouse_shown = visible; }
  bool _group_blit(std::string, double, double, std::string, double, double, std::string,
                   std::string) override {
    return false;
  }
  bool _group_blit(std::string, int, int, std::string, int, int, std::string,
                   std::string) override {
    return false;
  }
  void _show_cursor(bool visible) override { _show_mouse(visible); }
  bool _remove_particles(std::string, std::string) override { return false; }

  // The surface kept under (name, group), or null; leaves the error text alone.
  MemorySurface* surface(const std::string& name, const std::string& group) {
    return kept(surfaces_, name, group);
  }
  // `event` comes out of _get_event once _flip has been called `frame` times in all.
  void schedule(int frame, const Event& event) { scheduled_[frame].push_back(event); }
  // Back to a fresh driver: no surfaces, sprites, queued draws or events; counters and switches
  // cleared.
  void reset() {
    surfaces_.clear();
    sprites_.clear();
    drawn.clear();
    last_frame.clear();
    scheduled_.clear();
    events_.clear();
    surfaces_created = frames = 0;
    events_taken = 0;
    mouse_shown = true;
    refuse_next_surface = refuse_empty_surfaces = false;
  }

  std::vector<MemoryKey> drawn;       // sprites queued since the last _flip, as (group, name)
  std::vector<MemoryKey> last_frame;  // what was queued in the frame the last _flip ended
  int surfaces_created = 0;
  int frames = 0;          // _flip calls
  long events_taken = 0;   // _get_event calls, empty polls included
  bool mouse_shown = true;
  // The next _create_surface fails with "refused for the test".
  bool refuse_next_surface = false;
  // Behave like drivers whose surfaces need at least one row and one column.
  bool refuse_empty_surfaces = false;

private:
  bool fail(const std::string& text) {
    error_ = text;
    return false;
  }
  std::string group_or_current(const std::string& group) const { return group.empty() ? group_ : group; }
  template <typename Kept>
  Kept* kept(const std::map<MemoryKey, std::unique_ptr<Kept>>& map, const std::string& name,
             const std::string& group) const {
    auto found = map.find({group_or_current(group), name});
    return found == map.end() ? nullptr : found->second.get();
  }

  std::map<MemoryKey, std::unique_ptr<MemorySurface>> surfaces_;
  std::map<MemoryKey, std::unique_ptr<Video_Sprite>> sprites_;
  std::map<int, std::vector<Event>> scheduled_;
  std::deque<Event> events_;
  std::string group_;
  std::string error_;
};

// The driver kept under `name`, created from the plug-in the first time.
inline MemoryVideo* memory_video(const std::string& name) {
  if (video_get_interface(name) == nullptr &&
      !video_create(name, "libtest_memory_video", nullptr, 0, 0))
    return nullptr;
  return static_cast<MemoryVideo*>(video_get_interface(name));
}
