#pragma once
// The OpenGL driver: one window, the shared storage of surfaces, sprites and particle sets, and
// the per-frame queues drawn at _flip.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "stored_video.h"
#include "tessim/time.h"

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
  // Takes the window's events, or queues a quit when the window went away.
  void poll_events();
  void set_blending(bool on);
  void normalised_from_pixels(double mx, double my, double* x, double* y) const;
  bool read_cursor(double* mx, double* my) const;

  static OpenGL_Video* current_;

  bool blending_ = false;
  int max_point_size_ = 1, max_element_vertices_ = 0, max_element_indices_ = 0;
  Time frame_timer_;
  // This frame's sprites, and those of the frame the window shows (kept for the comparison).
  std::vector<SpriteVertex> vertices_, drawn_vertices_;
  std::vector<SpriteBatch> batches_, drawn_batches_;
  int sprite_binds_ = 0;
  long skipped_frames_ = 0;
  bool must_draw_ = true;

  GLFWwindow* window_ = nullptr;
  bool glfw_up_ = false;
  bool window_gone_ = false;  // destroyed or its connection lost; a quit is queued
  std::function<void()> before_swap_;
};
