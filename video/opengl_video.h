#pragma once
// The OpenGL driver: one window, the shared storage of surfaces, sprites and particle sets, and
// the per-frame queues drawn at _flip.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "stored_video.h"

struct GLFWwindow;
class OpenGL_Video;

// Checks the extension string for what the driver needs, writes the report lines and turns the
// flags off that cannot be had. `core_buffers` says whether the core buffer entry points exist;
// `adopt_arb_buffers` is called to fall back to the ARB forms and says whether that worked.
void check_required_extensions(const std::string& extensions, bool core_buffers,
                               const std::function<bool()>& adopt_arb_buffers, bool* vbo,
                               bool* point_sprite, std::ostream& out);

// GLFW 3 key code -> the engine's key numbering; -1 for keys that have no number.
int translate_glfw_key(int glfw_key);

// Where the picture stands in a window: pixels from the window's top-left corner.
struct PictureArea {
  int x = 0, y = 0, width = 0, height = 0;
};

// The largest area of the picture's aspect that fits the window, centred in it.
PictureArea fit_picture(int window_width, int window_height, int picture_width,
                        int picture_height);

// One corner of a sprite quad as the batch hands it to OpenGL.
struct SpriteVertex {
  float s, t;
  unsigned char rgba[4];
  float x, y;
};

// A run of the frame's sprite vertices drawn with one texture and one blending state.
struct SpriteBatch {
  unsigned texture;
  bool blended;
  int first, count;
};

// Its texture belongs to its pixels, which surfaces of one picture share; it is deleted with them.
class OpenGL_Surface : public Video_Surface {
public:
  explicit OpenGL_Surface(OpenGL_Video* driver);
  int _get_pitch() override;
  void _update() override;

  unsigned texture() const { return pixels_->texture; }
  float tu() const { return texture_width_ > 0 ? static_cast<float>(width_) / texture_width_ : 0; }
  float tv() const {
    return texture_height_ > 0 ? static_cast<float>(height_) / texture_height_ : 0;
  }

private:
  OpenGL_Video* driver_;
};

// A particle set drawn as point sprites or quads, from vertex buffers when the driver has them.
class OpenGL_Particles : public StoredParticles {
public:
  OpenGL_Particles(OpenGL_Video* driver, std::string name, std::string group);
  ~OpenGL_Particles() override;
  // Sizes the arrays and, with vertex buffers, the buffers.
  bool allocate(int count, bool point_mode) override;
  // Draws the set; the caller has set up the shared state of its queue.
  void render();

private:
  OpenGL_Video* gl_driver() const;
  void release_buffers();

  bool use_vbo_ = false;
  unsigned position_buffer_ = 0, colour_buffer_ = 0, tex_coord_buffer_ = 0;
};

using OpenGL_Video_Features = StoredVideo_Features;

class OpenGL_Video : public StoredVideo {
public:
  OpenGL_Video(std::string config_name, std::string prefix);

  std::string _get_name() override { return "libGL_tessar"; }
  void _enable_mouse_button_events(bool enable) override;
  void _enable_key_events(bool enable) override;
  void _enable_char_events(bool enable) override;
  void _enable_mouse_move_events(bool enable) override;
  void _flip() override;
  bool _init() override;
  bool _deinit() override;
  void _get_mouse_position(double* x, double* y) override;
  void _get_mouse_position(int* x, int* y) override;
  void _get_mouse_button_state(MOUSE_BUTTON* button, EVENT_TYPE* state) override;
  void _show_mouse(bool visible) override;
  bool _set_window_mode(int width, int height, bool full_screen) override;
  bool _is_full_screen() override { return full_screen(); }
  ~OpenGL_Video() override;

  // Called after the frame is drawn and before the buffers are swapped (tests read pixels here).
  void set_before_swap(std::function<void()> hook) { before_swap_ = std::move(hook); }
  bool has_window() const { return window_ != nullptr; }
  GLFWwindow* window() const { return window_; }
  int max_point_size() const { return max_point_size_; }
  // Enables GL_BLEND when it is off.
  void ensure_blending();
  // Texture binds of the last frame's sprite queue (one per picture and blending state).
  int sprite_binds() const { return sprite_binds_; }
  // Frames not drawn because they would have shown what the window shows already.
  long skipped_frames() const { return skipped_frames_; }
  // Something the sprite queue does not show changed (a texture's pixels, the window's
  // contents): the next frame is drawn whatever it holds.
  void must_draw() { must_draw_ = true; }

  // The input callbacks' way in; one driver per process.
  static OpenGL_Video* current() { return current_; }
  void on_mouse_button(int button, bool pressed);
  void on_mouse_move(double px, double py);
  void on_key(int glfw_key, bool pressed, int mods);
  // The window took a new size: the picture is fitted to it and drawn anew.
  void fit_picture_to_window();
  bool full_screen() const;
  // Where the picture stands in the window (the whole window while its size is fixed).
  const PictureArea& picture_area() const { return window_area_; }

protected:
  Video_Surface* new_surface() override { return new OpenGL_Surface(this); }
  StoredParticles* new_particles(const std::string& name, const std::string& group) override {
    return new OpenGL_Particles(this, name, group);
  }

private:
  // Uploads what the queued sprites' surfaces changed and lays the sprites out in vertices_ and
  // batches_; draw_sprite_batches draws that.
  void lay_out_sprite_queue();
  void draw_sprite_batches();
  bool same_as_drawn() const;
  void draw_particle_queue(const std::vector<StoredParticles*>& queue);
  void draw_polygons();
  void set_blending(bool on);
  void normalised_from_pixels(double mx, double my, double* x, double* y) const;
  bool read_cursor(double* mx, double* my) const;
  // Window pixels -> pixels of the picture (Width x Height), through the letterbox.
  void to_picture_pixels(double* mx, double* my) const;
  void switch_full_screen(bool on);
  // Polls the window's input (or queues a quit when the window went away), then makes a
  // full-screen switch asked for meanwhile.
  void poll_window();
  // Opens the window as the settings say; false when it cannot be made.
  bool open_window();

  static OpenGL_Video* current_;

  bool blending_ = false;
  int max_point_size_ = 1, max_element_vertices_ = 0, max_element_indices_ = 0;
  // On the wall clock, not the game's: the limit paces the window also while the game runs on the
  // stepped clock of a recording.
  double frame_start_ = 0;
  // This frame's sprites, and those of the frame the window shows (kept for the comparison).
  std::vector<SpriteVertex> vertices_, drawn_vertices_;
  std::vector<SpriteBatch> batches_, drawn_batches_;
  int sprite_binds_ = 0;
  long skipped_frames_ = 0;
  bool must_draw_ = true;
  // Frames still drawn whatever they hold, after the window changed its size.
  int frames_after_resize_ = 0;

  GLFWwindow* window_ = nullptr;
  bool glfw_up_ = false;
  bool key_events_ = false;
  // F11 or Alt+Enter came during polling; the switch is made once polling is over.
  bool full_screen_asked_ = false;
  PictureArea window_area_;
  // The window's place and size before it went full screen, to return to.
  int windowed_x_ = 0, windowed_y_ = 0, windowed_width_ = 0, windowed_height_ = 0;
  bool window_gone_ = false;  // destroyed or its connection lost; a quit is queued
  std::function<void()> before_swap_;
};
