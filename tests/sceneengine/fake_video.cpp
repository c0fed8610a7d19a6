// A windowless video driver for the scene tests: an 800 x 600 screen whose surfaces and sprites
// are the shared video classes, which records what each frame drew and hands out events that a
// test scheduled for a given frame.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "olvane/video.h"

namespace {

class FakeFeatures : public Video_Features {
public:
  bool _support_blit() override { return false; }
  bool _support_group_blit() override { return false; }
  bool _support_sprites() override { return true; }
  bool _support_particles() override { return false; }
  bool _support_render_to_surface() override { return false; }
  bool _support_shaders() override { return false; }
};

class FakeSurface : public Video_Surface {};

using Key = std::pair<std::string, std::string>;  // (group, name)

class FakeVideo : public Video_Interface {
public:
  void _draw_polygon(std::vector<VideoPoint>) override {}
  Video_Features* _get_features() override {
    static FakeFeatures features;
    return &features;
  }
  std::string _get_name() override { return "fake_video"; }
  bool _remove_surface(std::string name, std::string group) override {
    return surfaces_.erase({group, name}) > 0;
  }
  bool _draw_sprite(Video_Sprite* sprite) override {
    if (!sprite) return fail("Illegal sprite handler! 0x00000000");
    drawn_ += sprite->_get_name() + " ";
    return true;
  }
  bool _draw_sprite(std::string name, std::string group) override {
    Video_Sprite* sprite = _get_sprite(name, group);
    return sprite && _draw_sprite(sprite);
  }
  bool _draw_particles(std::string, std::string, bool) override { return false; }
  bool _remove_sprite(std::string name, std::string group) override {
    return sprites_.erase({group_or_current(group), name}) > 0;
  }
  bool _create_surface(double wf, double hf, std::string name, std::string group,
                       bool replace) override {
    return _create_surface(static_cast<int>(800 * wf), static_cast<int>(600 * hf), name, group,
                           replace);
  }
  bool _create_surface(int w, int h, std::string name, std::string group, bool replace) override {
    const Key key{group_or_current(group), name};
    if (surfaces_.count(key) && !replace) return fail("Surface already exist: " + name);
    auto surface = std::make_unique<FakeSurface>();
    if (!surface->_create(w, h)) return fail("Can`t crfeate surface");
    surfaces_[key] = std::move(surface);
    return true;
  }
  bool _set_group(std::string group) override {
    current_group_ = group;
    return true;
  }
  std::string _get_group() override { return current_group_; }
  // The sprites drawn since the last _flip, each name followed by a space.
  std::string _get_info() override { return last_frame_; }
  Video_Surface* _get_surface(std::string name, std::string group) override {
    auto it = surfaces_.find({group_or_current(group), name});
    if (it == surfaces_.end()) return fail_null<Video_Surface>("Surface not exist: " + name);
    return it->second.get();
  }
  Video_Particles* _get_particles(std::string, std::string) override { return nullptr; }
  Video_Sprite* _get_sprite(std::string name, std::string group) override {
    auto it = sprites_.find({group_or_current(group), name});
    if (it == sprites_.end()) return fail_null<Video_Sprite>("Sprite not exist: " + name);
    return it->second.get();
  }
  bool _create_sprite(std::string name, std::string group, std::string surface_name,
                      std::string surface_group, bool replace) override {
    const Key key{group, name};
    if (sprites_.count(key) && !replace) return fail("Sprite already exist: " + name);
    auto sprite = std::make_unique<Video_Sprite>(name, group, this);
    sprite->_set_surface(this, surface_name, surface_group);
    sprites_[key] = std::move(sprite);
    return true;
  }
  bool _create_particles(std::string, std::string, std::string, std::string, int,
                         bool) override {
    return false;
  }
  void _enable_mouse_button_events(bool) override { ++enables_; }
  void _enable_key_events(bool) override { ++enables_; }
  void _enable_char_events(bool) override { ++enables_; }
  void _enable_mouse_move_events(bool) override { ++enables_; }
  void _flip() override {
    ++frame_;
    last_frame_ = drawn_;
    drawn_.clear();
    auto due = scheduled_.find(frame_);
    if (due == scheduled_.end()) return;
    for (const Event& event : due->second) queue_.push_back(event);
    scheduled_.erase(due);
  }
  short _get_width() override { return 800; }
  short _get_height() override { return 600; }
  bool _init() override { return true; }
  bool _deinit() override { return true; }
  std::string _get_error() override { return error_; }
  void _get_mouse_position(double* x, double* y) override { *x = *y = 0; }
  void _get_mouse_position(int* x, int* y) override { *x = *y = 0; }
  void _get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) override {
    *button = MOUSE_BUTTON_LEFT;
    *state = MOUSE_RELEASE;
  }
  Event _get_event() override {
    ++events_taken_;
    if (queue_.empty()) return Event();
    Event event = queue_.front();
    queue_.erase(queue_.begin());
    return event;
  }
  bool _is_point_in_sprite(double, double, double, double, std::string, std::string) override {
    return false;
  }
  bool _set_cursor_sprite(std::string, std::string) override { return false; }
  void _show_mouse(bool visible) override { mouse_shown_ = visible; }
  bool _group_blit(std::string, double, double, std::string, double, double, std::string,
                   std::string) override {
    return false;
  }
  bool _group_blit(std::string, int, int, std::string, int, int, std::string,
                   std::string) override {
    return false;
  }
  void _show_cursor(bool visible) override { mouse_shown_ = visible; }
  bool _remove_particles(std::string, std::string) override { return false; }

  void schedule(int frame, const Event& event) { scheduled_[frame].push_back(event); }

  int frame_ = 0;
  int enables_ = 0;
  long events_taken_ = 0;
  bool mouse_shown_ = true;

private:
  std::string group_or_current(const std::string& group) const {
    return group.empty() ? current_group_ : group;
  }
  bool fail(const std::string& text) {
    error_ = text;
    return false;
  }
  template <typename T>
  T* fail_null(const std::string& text) {
    error_ = text;
    return nullptr;
  }

  std::map<Key, std::unique_ptr<FakeSurface>> surfaces_;
  std::map<Key, std::unique_ptr<Video_Sprite>> sprites_;
  std::map<int, std::vector<Event>> scheduled_;
  std::vector<Event> queue_;
  std::string current_group_;
  std::string error_;
  std::string drawn_;
  std::string last_frame_;
};

}  // namespace

extern "C" {

Video_Interface* _get_video_driver(const std::string*, int) { return new FakeVideo(); }

// Test hooks, found with dlsym by the suites.
void fake_video_schedule(Video_Interface* video, int frame, const Event* event) {
  static_cast<FakeVideo*>(video)->schedule(frame, *event);
}
int fake_video_frame(Video_Interface* video) { return static_cast<FakeVideo*>(video)->frame_; }
int fake_video_enables(Video_Interface* video) {
  return static_cast<FakeVideo*>(video)->enables_;
}
long fake_video_events_taken(Video_Interface* video) {
  return static_cast<FakeVideo*>(video)->events_taken_;
}
bool fake_video_mouse_shown(Video_Interface* video) {
  return static_cast<FakeVideo*>(video)->mouse_shown_;
}
}
