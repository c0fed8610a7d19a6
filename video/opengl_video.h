#pragma once
// The OpenGL driver: one window, surfaces/sprites/particle sets filed by (name, group), and the
// per-frame queues drawn at _flip.

#include <deque>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "olvane/video.h"
#include "tessim/time.h"
#include "tarnvale/storage.h"

struct GLFWwindow;
class Config_Interface;
class OpenGL_Video;

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
};

// Reads every key (prefix + name) in table order; absent keys take their defaults.
VideoSettings read_video_settings(Config_Interface* config, const std::string& prefix);

// Checks the extension string for what the driver needs, writes the report lines and turns the
// flags off that cannot be had. `core_buffers` says whether the core buffer entry points exist;
// `adopt_arb_buffers` is called to fall back to the ARB forms and says whether that worked.
void check_required_extensions(const std::string& extensions, bool core_buffers,
                               const std::function<bool()>& adopt_arb_buffers, bool* vbo,
                               bool* point_sprite, std::ostream& out);

// GLFW 3 key code -> the engine's key numbering; -1 for keys that have no number.
int translate_glfw_key(int glfw_key);

// One corner of a sprite quad as the batch hands it to OpenGL.
struct SpriteVertex {
  float s, t;
  unsigned char rgba[4];
  float x, y;
};

class OpenGL_Surface : public Video_Surface {
public:
  explicit OpenGL_Surface(OpenGL_Video* driver) : driver_(driver) {}
  int _get_pitch() override;
  bool _create(int w, int h) override;
  void _update() override;
  ~OpenGL_Surface() override;

  unsigned texture() const { return texture_; }
  float tu() const { return tu_; }
  float tv() const { return tv_; }

private:
  OpenGL_Video* driver_;
  unsigned texture_ = 0;
  float tu_ = 0, tv_ = 0;
};

class OpenGL_Particles : public Video_Particles {
public:
  OpenGL_Particles(OpenGL_Video* driver, std::string name, std::string group);
  // Unfiles itself from the driver, so a set is released once however it goes.
  ~OpenGL_Particles() override;
  bool _set_particle(int i, float x, float y, int r, int g, int b, float a) override;
  bool _get_particle(int i, float* x, float* y, int* r, int* g, int* b, float* a) override;
  void _set_particle_size(int size) override;

  // Sizes the arrays and, with vertex buffers, the buffers. False for a negative count.
  bool allocate(int count, bool point_mode, bool use_vbo);
  void set_texture(std::string name, std::string group);
  // Draws the set; the caller has set up the shared state of its queue.
  void render();
  void detach() { driver_ = nullptr; }

  const std::string& name() const { return name_; }
  const std::string& group() const { return group_; }
  bool point_mode() const { return point_mode_; }
  float quad_size() const { return quad_size_; }
  int count() const { return count_; }

private:
  void release_buffers();

  OpenGL_Video* driver_;
  std::string name_, group_;
  int count_ = 0;
  int point_size_ = 1;
  std::string texture_name_, texture_group_;
  bool has_texture_ = false;
  bool point_mode_ = true;
  float quad_size_ = 0;
  std::vector<float> positions_, colours_, tex_coords_;
  bool use_vbo_ = false;
  unsigned position_buffer_ = 0, colour_buffer_ = 0, tex_coord_buffer_ = 0;
};

class OpenGL_Video_Features : public Video_Features {
public:
  bool _support_blit() override { return false; }
  bool _support_group_blit() override { return false; }
  bool _support_sprites() override { return true; }
  bool _support_particles() override { return true; }
  bool _support_render_to_surface() override { return false; }
  bool _support_shaders() override { return false; }
};

class OpenGL_Video : public Video_Interface {
public:
  OpenGL_Video(std::string config_name, std::string prefix);

  void _draw_polygon(std::vector<VideoPoint> points) override;
  Video_Features* _get_features() override;
  std::string _get_name() override { return "libGL_tessar"; }
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
  bool _create_sprite(std::string name, std::string group, std::string surface_name,
                      std::string surface_group, bool replace) override;
  bool _create_particles(std::string name, std::string group, std::string texture_name,
                         std::string texture_group, int count, bool replace) override;
  void _enable_mouse_button_events(bool enable) override;
  void _enable_key_events(bool enable) override;
  void _enable_char_events(bool enable) override;
  void _enable_mouse_move_events(bool enable) override;
  void _flip() override;
  short _get_width() override { return settings_.width; }
  short _get_height() override { return settings_.height; }
  bool _init() override;
  bool _deinit() override;
  std::string _get_error() override { return error_; }
  void _get_mouse_position(double* x, double* y) override;
  void _get_mouse_position(int* x, int* y) override;
  void _get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) override;
  Event _get_event() override;
  bool _is_point_in_sprite(double x, double y, double px, double py, std::string name,
                           std::string group) override;
  bool _set_cursor_sprite(std::string name, std::string group) override;
  void _show_mouse(bool visible) override;
  ~OpenGL_Video() override;
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

  // Called after the frame is drawn and before the buffers are swapped (tests read pixels here).
  void set_before_swap(std::function<void()> hook) { before_swap_ = std::move(hook); }
  const VideoSettings& settings() const { return settings_; }
  bool has_window() const { return window_ != nullptr; }
  GLFWwindow* window() const { return window_; }
  int max_point_size() const { return max_point_size_; }
  // Drops a particle set from its storage entry and the frame's queues (its destructor calls it).
  void forget_particles(OpenGL_Particles* set);
  // Enables GL_BLEND when it is off.
  void ensure_blending();
  void set_error(std::string text) { error_ = std::move(text); }

  // The input callbacks' way in; one driver per process.
  static OpenGL_Video* current() { return current_; }
  void queue_event(const Event& event) { events_.push_back(event); }
  void on_mouse_button(int button, bool pressed);
  void on_mouse_move(double px, double py);

private:
  template <typename T>
  using Groups = Storage<std::string, Storage<std::string, T*>*>;

  template <typename T>
  T* find_item(Groups<T>& groups, const std::string& name, const std::string& group,
               const char* group_message, const char* item_message);
  template <typename T>
  Storage<std::string, T*>* group_for_creation(Groups<T>& groups, const std::string& group);
  std::string group_or_current(const std::string& group) const {
    return group.empty() ? current_group_ : group;
  }

  void release_sprite(Video_Sprite* sprite);
  void release_everything();
  void draw_sprite_queue();
  void draw_particle_queue(const std::vector<OpenGL_Particles*>& queue);
  void draw_polygons();
  void set_blending(bool on);
  void normalised_from_pixels(double mx, double my, double* x, double* y) const;
  bool read_cursor(double* mx, double* my) const;

  static OpenGL_Video* current_;

  bool blending_ = false;
  VideoSettings settings_;
  double scale_ = 1.0;
  std::string config_name_, prefix_;
  std::string current_group_;
  std::string error_;
  int max_point_size_ = 1, max_element_vertices_ = 0, max_element_indices_ = 0;
  std::string cursor_name_, cursor_group_;
  Time frame_timer_;
  Groups<Video_Surface> surfaces_;
  Groups<Video_Sprite> sprites_;
  Groups<OpenGL_Particles> particles_;
  std::vector<Video_Sprite*> sprite_queue_;
  std::vector<OpenGL_Particles*> particles_over_, particles_under_;
  std::vector<std::vector<VideoPoint>> polygons_;
  std::vector<SpriteVertex> batch_;  // reused vertex data of one sprite batch

  GLFWwindow* window_ = nullptr;
  bool glfw_up_ = false;
  std::deque<Event> events_;
  double last_move_x_ = 0, last_move_y_ = 0;
  double last_button_x_ = 0, last_button_y_ = 0;
  std::function<void()> before_swap_;
};

template <typename T>
inline T* OpenGL_Video::find_item(Groups<T>& groups, const std::string& name, const std::string& group,
                           const char* group_message, const char* item_message) {
  if (!groups.exists(group)) {
    error_ = group_message + group;
    return nullptr;
  }
  Storage<std::string, T*>* items = groups.get(group);
  if (!items->exists(name)) {
    error_ = item_message + name;
    return nullptr;
  }
  return items->get(name);
}

template <typename T>
inline Storage<std::string, T*>* OpenGL_Video::group_for_creation(Groups<T>& groups,
                                                           const std::string& group) {
  if (!groups.exists(group)) groups.add(group, new Storage<std::string, T*>());
  if (!groups.exists(group)) {
    error_ = "Group not exist: " + group + " and creation was unsuccesfull";
    return nullptr;
  }
  return groups.get(group);
}
