#pragma once
// What the video drivers share: the settings, surfaces, sprites and particle sets filed by
// (name, group) under one set of rules and messages, the frame's queues and the event queue.
// A driver adds how surfaces and particle sets are made, what _flip does with the queues and
// where input comes from.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "olvane/video.h"
#include "tarnvale/storage.h"

class Config_Interface;
class StoredVideo;

// Settings read from the configuration at _init.
struct VideoSettings {
  short width = 800;
  short height = 600;
  bool double_buffer = true;
  bool full_screen = true;
  bool mouse_visible = false;
  std::string caption = "OpenGL video driver Version: 2.0.0";
  short base_height = 600;
  bool vbo = true;
  bool point_sprite = true;
  float limit_fps = 0.0f;
  // The first frame is shown as soon as it is drawn, not a frame's time after _init; the limit
  // spaces the frames after it.
  bool first_frame_at_once = false;
  // A frame that would draw the same pixels as the one shown is not drawn again.
  bool skip_unchanged_frames = false;
  // The window can take any size: the picture (width x height) is scaled to fit it, centred and
  // letterboxed; F11 and Alt+Enter switch to the desktop's full screen and back.
  bool resizable = false;
  // The window's size when it opens resizable; 0 takes the picture's.
  short window_width = 0;
  short window_height = 0;
};

// Reads every key (prefix + name) in table order; absent keys take their defaults.
VideoSettings read_video_settings(Config_Interface* config, const std::string& config_name,
                                  const std::string& prefix);

// A particle set kept in memory: point mode holds one position per particle, quad mode the
// four corners of each particle's quad (lower-left corner at the particle's position).
class StoredParticles : public Video_Particles {
public:
  StoredParticles(StoredVideo* driver, std::string name, std::string group);
  // Unfiles itself from the driver, so a set is released once however it goes.
  ~StoredParticles() override;
  bool _set_particle(int i, float x, float y, int r, int g, int b, float a) override;
  bool _get_particle(int i, float* x, float* y, int* r, int* g, int* b, float* a) override;
  void _set_particle_size(int size) override;

  // Sizes the arrays; false for a negative count.
  virtual bool allocate(int count, bool point_mode);
  void set_texture(std::string name, std::string group);
  void detach() { driver_ = nullptr; }

  const std::string& name() const { return name_; }
  const std::string& group() const { return group_; }
  bool point_mode() const { return point_mode_; }
  float quad_size() const { return quad_size_; }
  int count() const { return count_; }
  int point_size() const { return point_size_; }
  bool has_texture() const { return has_texture_; }
  const std::string& texture_name() const { return texture_name_; }
  const std::string& texture_group() const { return texture_group_; }

protected:
  StoredVideo* driver_;
  std::string name_, group_;
  int count_ = 0;
  int point_size_ = 1;
  std::string texture_name_, texture_group_;
  bool has_texture_ = false;
  bool point_mode_ = true;
  float quad_size_ = 0;
  // Floats per vertex of each array.
  static constexpr std::size_t kPositionFloats = 2, kColourFloats = 4, kTexCoordFloats = 2;
  std::size_t vertices() const { return point_mode_ ? count_ : 4 * static_cast<std::size_t>(count_); }
  // The three arrays in one block (texture coordinates for quads only): tearing down many sets
  // reads and frees half the blocks.
  std::vector<float> vertex_data_;
  float* positions_ = nullptr;
  float* colours_ = nullptr;
  float* tex_coords_ = nullptr;
};

class StoredVideo_Features : public Video_Features {
public:
  bool _support_blit() override { return false; }
  bool _support_group_blit() override { return false; }
  bool _support_sprites() override { return true; }
  bool _support_particles() override { return true; }
  bool _support_render_to_surface() override { return false; }
  bool _support_shaders() override { return false; }
};

class StoredVideo : public Video_Interface {
public:
  StoredVideo(std::string config_name, std::string prefix);
  // Releases what is still filed; drivers that hold resources for items release them first.
  ~StoredVideo() override;

  void _draw_polygon(std::vector<VideoPoint> points) override;
  Video_Features* _get_features() override;
  bool _remove_surface(std::string name, std::string group) override;
  bool _draw_sprite(Video_Sprite* sprite) override;
  bool _draw_sprite(std::string name, std::string group) override;
  bool _draw_particles(std::string name, std::string group, bool under_sprites) override;
  bool _remove_sprite(std::string name, std::string group) override;
  bool _create_surface(double w_factor, double h_factor, std::string name, std::string group,
                       bool replace) override;
  bool _create_surface(int w, int h, std::string name, std::string group, bool replace) override;
  bool _set_group(std::string group) override;
  std::string _get_group() override { return current_group_; }
  std::string _get_info() override { return std::string(); }
  Video_Surface* _get_surface(std::string name, std::string group) override;
  Video_Particles* _get_particles(std::string name, std::string group) override;
  Video_Sprite* _get_sprite(std::string name, std::string group) override;
  Video_Sprite* _find_sprite(const std::string& name, const std::string& group) override;
  bool _create_sprite(std::string name, std::string group, std::string surface_name,
                      std::string surface_group, bool replace) override;
  bool _create_particles(std::string name, std::string group, std::string texture_name,
                         std::string texture_group, int count, bool replace) override;
  short _get_width() override { return settings_.width; }
  short _get_height() override { return settings_.height; }
  std::string _get_error() override { return error_; }
  Event _get_event() override;
  bool _is_point_in_sprite(double x, double y, double px, double py, std::string name,
                           std::string group) override;
  bool _set_cursor_sprite(std::string name, std::string group) override;
  bool _group_blit(std::string, double, double, std::string, double, double, std::string,
                   std::string) override {
    return false;
  }
  bool _group_blit(std::string, int, int, std::string, int, int, std::string,
                   std::string) override {
    return false;
  }
  void _show_cursor(bool visible) override { _show_mouse(visible); }
  bool _remove_particles(std::string name, std::string group) override;
  double _get_scale() override { return scale_; }
  void _set_frame_limit(float frames_per_second) override {
    settings_.limit_fps = frames_per_second > 0 ? frames_per_second : 0;
  }

  const VideoSettings& settings() const { return settings_; }
  void set_error(std::string text) { error_ = std::move(text); }
  void queue_event(const Event& event) { events_.push_back(event); }
  // Drops a particle set from its storage entry and the frame's queues (its destructor calls it).
  void forget_particles(StoredParticles* set);

protected:
  template <typename T>
  using Groups = Storage<std::string, Storage<std::string, T*>*>;

  // A new, empty surface of the driver's own kind.
  virtual Video_Surface* new_surface() = 0;
  virtual StoredParticles* new_particles(const std::string& name, const std::string& group) = 0;

  // Reads the settings from the kept configuration and works out the scale; false, with the
  // error text set, when there is no configuration.
  bool read_settings();
  // false, with the error text set, when the window size is not positive.
  bool check_window_size();
  // A pointer event at the normalised (x, y); dx, dy against the previous event of its kind
  // (moves against moves, button events against button events).
  Event pointer_event(EVENT_TYPE type, double x, double y, int buttons);
  // Places the cursor sprite, if one is set, at the pointer and queues it.
  void queue_cursor_sprite();
  // Walks the sprite queue the way it is drawn: each picture once (the surfaces sharing its
  // pixels, Video_Surface::_share_pixels), at the place of its first queued sprite, with every
  // queued sprite linked to those surfaces in link order. Sprites handed out are marked drawn;
  // a sprite whose surface is missing stays queued and is skipped.
  void for_each_sprite_batch(
      const std::function<void(Video_Surface& surface, const std::vector<Video_Sprite*>& sprites)>&
          draw);
  void clear_queues();
  // Deletes every surface, sprite and particle set, and empties the queues.
  void release_everything();

  VideoSettings settings_;
  // Surfaces beyond this side are refused; a driver with a context lowers it to the context's
  // largest texture.
  int max_surface_side_ = 16384;
  // One particle set holds at most this many (some 100 MB of vertices).
  static constexpr int kMaxParticles = 1 << 20;
  double scale_ = 1.0;
  std::string config_name_, prefix_;
  std::string current_group_;
  std::string error_;
  std::string cursor_name_, cursor_group_;
  Groups<Video_Surface> surfaces_;
  Groups<Video_Sprite> sprites_;
  Groups<StoredParticles> particles_;
  std::vector<Video_Sprite*> sprite_queue_;
  std::vector<StoredParticles*> particles_over_, particles_under_;
  std::vector<std::vector<VideoPoint>> polygons_;
  std::deque<Event> events_;

private:
  template <typename T>
  T* find_item(Groups<T>& groups, const std::string& name, const std::string& group,
               const char* group_message, const char* item_message);
  template <typename T>
  Storage<std::string, T*>* group_for_creation(Groups<T>& groups, const std::string& group);
  const std::string& group_or_current(const std::string& group) const {
    return group.empty() ? current_group_ : group;
  }
  void release_sprite(Video_Sprite* sprite);

  double last_move_x_ = 0, last_move_y_ = 0;
  double last_button_x_ = 0, last_button_y_ = 0;
  std::vector<Video_Sprite*> batch_;  // reused list of one surface's sprites
};
