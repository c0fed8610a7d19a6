#include "opengl_video.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <dlfcn.h>
#include <link.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "carrow/config.h"
#include "tarnvale/progress_log.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/number_limits.h"
#include "window_watch.h"

namespace {

// The configuration name and key prefix given to _get_video_driver.
std::string& kept_config_name() {
  static std::string name;
  return name;
}
std::string& kept_prefix() {
  static std::string prefix;
  return prefix;
}

double wall_seconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void sleep_one_millisecond() {
  timespec pause{0, 1000000};
  nanosleep(&pause, nullptr);
}

const char* gl_text(GLenum what) {
  const GLubyte* text = glGetString(what);
  return text ? reinterpret_cast<const char*>(text) : "";
}

// Fills in the core buffer entry points that are missing from their ARB forms.
bool adopt_arb_buffer_entry_points() {
  if (!__glewGenBuffers) __glewGenBuffers = __glewGenBuffersARB;
  if (!__glewBindBuffer) __glewBindBuffer = __glewBindBufferARB;
  if (!__glewBufferData) __glewBufferData = __glewBufferDataARB;
  if (!__glewBufferSubData) __glewBufferSubData = __glewBufferSubDataARB;
  if (!__glewMapBuffer) __glewMapBuffer = __glewMapBufferARB;
  if (!__glewGetBufferParameteriv) __glewGetBufferParameteriv = __glewGetBufferParameterivARB;
  if (!__glewUnmapBuffer) __glewUnmapBuffer = __glewUnmapBufferARB;
  if (!__glewDeleteBuffers) __glewDeleteBuffers = __glewDeleteBuffersARB;
  if (!__glewIsBuffer) __glewIsBuffer = __glewIsBufferARB;
  return __glewGenBuffers != nullptr;
}

// GLFW's own reason for a failure, written beside the driver's message.
void on_glfw_error(int, const char* description) {
  tarnvale::report_data_problem(tarnvale::Severity::error, "", "",
                                std::string("GLFW: ") + (description ? description : "unknown error"));
}

// Mesa unloads its driver module with the last display connection, and the allocations it keeps
// for the process could then no longer be told apart from the engine's own by leak checkers
// (their suppressions match by module). Keeping the module mapped costs nothing at shut-down.
void keep_gl_driver_modules_loaded() {
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        const std::string path = info->dlpi_name ? info->dlpi_name : "";
        if (path.find("_dri.so") != std::string::npos || path.find("libgallium") != std::string::npos)
          dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        return 0;
      },
      nullptr);
}

// The window's contents were lost (uncovered, resized): the frame kept there must be drawn anew.
void on_window_refresh(GLFWwindow*) {
  if (OpenGL_Video* video = OpenGL_Video::current()) video->must_draw();
}

void on_framebuffer_size(GLFWwindow*, int, int) {
  if (OpenGL_Video* video = OpenGL_Video::current()) video->fit_picture_to_window();
}

void on_window_key(GLFWwindow*, int key, int, int action, int mods) {
  if (OpenGL_Video* video = OpenGL_Video::current())
    video->on_key(key, action != GLFW_RELEASE, mods);
}

void on_window_close(GLFWwindow* window) {
  // The window stays open until _deinit; the engine decides what a close request means.
  glfwSetWindowShouldClose(window, GLFW_FALSE);
  if (OpenGL_Video* video = OpenGL_Video::current()) {
    Event quit;
    quit.type = QUIT;
    video->queue_event(quit);
  }
}

}  // namespace

OpenGL_Video* OpenGL_Video::current_ = nullptr;

void check_required_extensions(const std::string& extensions, bool core_buffers,
                               const std::function<bool()>& adopt_arb_buffers, bool* vbo,
                               bool* point_sprite, std::ostream& out) {
  if (*vbo) {
    out << "GL_ARB_vertex_buffer_object:";
    if (extensions.find("GL_ARB_vertex_buffer_object") == std::string::npos) {
      out << "no" << std::endl;
      *vbo = false;
    } else {
      out << " yes" << std::endl;
      if (!core_buffers) {
        out << "Intel detected. Making some hacks." << std::endl;
        if (!adopt_arb_buffers()) {
          out << "Hacking failed. Disabling VBO!" << std::endl;
          *vbo = false;
        }
      }
    }
  } else {
    out << "VBO Disabled. General perfomance will be lost." << std::endl;
  }
  if (*point_sprite) {
    out << "GL_ARB_point_sprite:";
    if (extensions.find("GL_ARB_point_sprite") == std::string::npos) {
      out << "no" << std::endl;
      *point_sprite = false;
    } else {
      out << " yes" << std::endl;
    }
  } else {
    out << "PointSprites Disabled. General effects perfomance will be lost." << std::endl;
  }
}

OpenGL_Video::OpenGL_Video(std::string config_name, std::string prefix)
    : StoredVideo(std::move(config_name), std::move(prefix)) {
  current_ = this;
}

OpenGL_Video::~OpenGL_Video() {
  // Items still filed are released here too, so a driver destroyed without _deinit leaks nothing.
  _deinit();
  if (current_ == this) current_ = nullptr;
}

bool OpenGL_Video::_init() {
  if (window_ != nullptr) {
    error_ = "Video already initialised";
    return false;
  }
  if (!read_settings()) return false;
  std::ostream& progress = tarnvale::progress_out();
  progress << "_w_\t=" << settings_.width << std::endl
            << "_h_\t=" << settings_.height << std::endl
            << "_DoubleBuffer_\t=" << settings_.double_buffer << std::endl
            << "_FullScreen_\t=" << settings_.full_screen << std::endl;
  if (!check_window_size()) return false;

  glfwSetErrorCallback(on_glfw_error);
  if (!glfwInit()) {
    error_ = "Unable to init GLFW";
    return false;
  }
  glfw_up_ = true;
  if (!open_window()) {
    error_ = "Unable to create window";
    glfwTerminate();
    glfw_up_ = false;
    return false;
  }
  glfwMakeContextCurrent(window_);
  glfwSwapInterval(0);
  glfwSetWindowTitle(window_, settings_.caption.c_str());
  if (!settings_.mouse_visible) glfwSetInputMode(window_, GLFW_CURSOR, GLFW_CURSOR_DISABLED);
  // Key repeat: GLFW 3 always reports repeats; the key callback turns them into presses.

  const GLenum glew = glewInit();
  if (glew != GLEW_OK) {
    error_ = reinterpret_cast<const char*>(glewGetErrorString(glew));
    return false;
  }

  GLint max_texture_size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture_size);
  if (max_texture_size > 0) max_surface_side_ = std::min(max_surface_side_, static_cast<int>(max_texture_size));
  progress << "OpenGL info:" << std::endl
            << "OpenGL version: " << gl_text(GL_VERSION) << std::endl
            << "Vendor:: " << gl_text(GL_VENDOR) << std::endl
            << "Supported Extesions: " << gl_text(GL_EXTENSIONS) << std::endl
            << "Renderer info: " << gl_text(GL_RENDERER) << std::endl
            << "MaxTextureSize " << max_texture_size << std::endl;
  GLint value = 0;
  glGetIntegerv(GL_MAX_ELEMENTS_VERTICES, &value);
  max_element_vertices_ = value;
  glGetIntegerv(GL_MAX_ELEMENTS_INDICES, &value);
  max_element_indices_ = value;
  GLfloat point_size_max = 1;
  glGetFloatv(GL_POINT_SIZE_MAX, &point_size_max);
  max_point_size_ = static_cast<int>(point_size_max);
  progress << "MaxPointSize " << max_point_size_ << std::endl
            << "Max element vertices " << max_element_vertices_ << std::endl
            << "Max element indeces " << max_element_indices_ << std::endl
            << "\n\nChecking required extensions:" << std::endl;
  check_required_extensions(gl_text(GL_EXTENSIONS), __glewGenBuffers != nullptr,
                            adopt_arb_buffer_entry_points, &settings_.vbo,
                            &settings_.point_sprite, progress);

  glfwSetWindowCloseCallback(window_, on_window_close);
  window_watch::watch(window_);
  window_gone_ = false;
  glfwSetWindowRefreshCallback(window_, on_window_refresh);
  glfwSetFramebufferSizeCallback(window_, on_framebuffer_size);
  // Always listening: the full-screen keys work whether or not key events are asked for.
  glfwSetKeyCallback(window_, on_window_key);
  must_draw_ = true;

  glEnable(GL_TEXTURE_2D);
  if (settings_.point_sprite) glEnable(GL_POINT_SPRITE_ARB);
  glDisable(GL_BLEND);
  blending_ = false;
  glShadeModel(GL_SMOOTH);
  glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glClearColor(0, 0, 0, 0);
  fit_picture_to_window();
  glClear(GL_COLOR_BUFFER_BIT);
  frame_start_ = settings_.first_frame_at_once ? -HUGE_VAL : wall_seconds();
  return true;
}

bool OpenGL_Video::open_window() {
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_RED_BITS, 8);
  glfwWindowHint(GLFW_GREEN_BITS, 8);
  glfwWindowHint(GLFW_BLUE_BITS, 8);
  glfwWindowHint(GLFW_ALPHA_BITS, 8);
  glfwWindowHint(GLFW_DEPTH_BITS, 16);
  glfwWindowHint(GLFW_STENCIL_BITS, 0);
  glfwWindowHint(GLFW_DOUBLEBUFFER, GLFW_TRUE);
  glfwWindowHint(GLFW_RESIZABLE, settings_.resizable ? GLFW_TRUE : GLFW_FALSE);
  windowed_width_ = settings_.resizable && settings_.window_width > 0 ? settings_.window_width
                                                                       : settings_.width;
  windowed_height_ = settings_.resizable && settings_.window_height > 0 ? settings_.window_height
                                                                         : settings_.height;
  GLFWmonitor* monitor = settings_.full_screen ? glfwGetPrimaryMonitor() : nullptr;
  const GLFWvidmode* desktop = monitor ? glfwGetVideoMode(monitor) : nullptr;
  if (settings_.resizable && desktop != nullptr) {
    // Full screen at the desktop's own resolution; the window size is what F11 returns to.
    windowed_x_ = std::max(0, (desktop->width - windowed_width_) / 2);
    windowed_y_ = std::max(0, (desktop->height - windowed_height_) / 2);
    glfwWindowHint(GLFW_REFRESH_RATE, desktop->refreshRate);
    window_ = glfwCreateWindow(desktop->width, desktop->height, settings_.caption.c_str(),
                               monitor, nullptr);
  } else {
    window_ = glfwCreateWindow(windowed_width_, windowed_height_, settings_.caption.c_str(),
                               monitor, nullptr);
  }
  return window_ != nullptr;
}

bool OpenGL_Video::full_screen() const {
  return window_ != nullptr && glfwGetWindowMonitor(window_) != nullptr;
}

void OpenGL_Video::switch_full_screen(bool on) {
  if (on == full_screen()) return;
  if (on) {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* desktop = monitor ? glfwGetVideoMode(monitor) : nullptr;
    if (desktop == nullptr) return;
    glfwGetWindowPos(window_, &windowed_x_, &windowed_y_);
    glfwGetWindowSize(window_, &windowed_width_, &windowed_height_);
    glfwSetWindowMonitor(window_, monitor, 0, 0, desktop->width, desktop->height,
                         desktop->refreshRate);
  } else {
    glfwSetWindowMonitor(window_, nullptr, windowed_x_, windowed_y_, windowed_width_,
                         windowed_height_, GLFW_DONT_CARE);
  }
  fit_picture_to_window();
}

bool OpenGL_Video::_set_window_mode(int width, int height, bool full) {
  if (window_ == nullptr || !settings_.resizable || width <= 0 || height <= 0 ||
      width > tarnvale::kMaxSide || height > tarnvale::kMaxSide)
    return false;
  if (full) {
    // The size is kept for the return from full screen.
    if (!full_screen()) {
      glfwSetWindowSize(window_, width, height);
      switch_full_screen(true);
    }
    windowed_width_ = width;
    windowed_height_ = height;
    return true;
  }
  switch_full_screen(false);
  glfwSetWindowSize(window_, width, height);
  fit_picture_to_window();
  return true;
}

void OpenGL_Video::fit_picture_to_window() {
  if (window_ == nullptr) return;
  must_draw_ = true;
  // The GL buffers follow the window's new size only after a swap or two.
  frames_after_resize_ = 3;
  if (!settings_.resizable) {
    // Fixed at start-up: the picture is drawn from the lower-left corner at its own size.
    window_area_ = {0, 0, settings_.width, settings_.height};
    return;
  }
  int window_width = 0, window_height = 0, pixels_wide = 0, pixels_high = 0;
  glfwGetWindowSize(window_, &window_width, &window_height);
  glfwGetFramebufferSize(window_, &pixels_wide, &pixels_high);
  window_area_ = fit_picture(window_width, window_height, settings_.width, settings_.height);
  // The frame buffer may have more pixels than the window has units (high-density screens).
  const PictureArea drawn = fit_picture(pixels_wide, pixels_high, settings_.width, settings_.height);
  glViewport(drawn.x, pixels_high - drawn.y - drawn.height, drawn.width, drawn.height);
}

PictureArea fit_picture(int window_width, int window_height, int picture_width,
                        int picture_height) {
  PictureArea area;
  if (window_width <= 0 || window_height <= 0 || picture_width <= 0 || picture_height <= 0)
    return area;
  // Compared in whole numbers so that a window of the picture's own aspect is filled exactly.
  if (static_cast<long long>(window_width) * picture_height <=
      static_cast<long long>(window_height) * picture_width) {
    area.width = window_width;
    area.height = static_cast<int>(static_cast<long long>(window_width) * picture_height / picture_width);
  } else {
    area.height = window_height;
    area.width = static_cast<int>(static_cast<long long>(window_height) * picture_width / picture_height);
  }
  area.x = (window_width - area.width) / 2;
  area.y = (window_height - area.height) / 2;
  return area;
}

void OpenGL_Video::_flip() {
  if (window_ == nullptr) {
    // Nothing can be drawn without a window; the queues must not keep stale pointers.
    clear_queues();
    return;
  }
  if (window_gone_) {
    clear_queues();
    return;
  }
  if (settings_.limit_fps > 0) {
    while (wall_seconds() - frame_start_ < 1.0 / settings_.limit_fps) sleep_one_millisecond();
    frame_start_ = wall_seconds();
  }
  queue_cursor_sprite();
  lay_out_sprite_queue();
  // Particles and outlines are drawn every frame; a frame after them must draw to take them away.
  const bool only_sprites = particles_under_.empty() && particles_over_.empty() && polygons_.empty();
  const bool after_resize = frames_after_resize_ > 0;
  if (after_resize) --frames_after_resize_;
  if (settings_.skip_unchanged_frames && only_sprites && !must_draw_ && !after_resize && same_as_drawn()) {
    // The window keeps showing the last frame; the back buffer stays cleared for the next one.
    clear_queues();
    ++skipped_frames_;
    sprite_binds_ = 0;
    poll_window();
    return;
  }
  must_draw_ = !only_sprites;

  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  draw_particle_queue(particles_under_);
  draw_sprite_batches();
  draw_particle_queue(particles_over_);
  draw_polygons();
  clear_queues();
  glPopMatrix();
  vertices_.swap(drawn_vertices_);
  batches_.swap(drawn_batches_);

  if (before_swap_) before_swap_();
  glfwSwapBuffers(window_);
  poll_window();
  glClear(GL_COLOR_BUFFER_BIT);
}

void OpenGL_Video::poll_window() {
  // The events are looked at before GLFW takes them: it ignores a window destroyed under it.
  if (window_watch::window_gone()) {
    // The run ends as after a close request.
    window_gone_ = true;
    on_window_close(window_);
    return;
  }
  glfwPollEvents();
  if (!full_screen_asked_) return;
  full_screen_asked_ = false;
  switch_full_screen(!full_screen());
}

void OpenGL_Video::draw_polygons() {
  if (polygons_.empty()) return;
  glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
  glDisable(GL_TEXTURE_2D);
  for (const auto& polygon : polygons_) {
    glColor3f(1, 1, 1);
    glBegin(GL_POLYGON);
    for (const VideoPoint& p : polygon)
      glVertex2f(static_cast<float>(p.x), static_cast<float>(p.y));
    glEnd();
  }
  glEnable(GL_TEXTURE_2D);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

void OpenGL_Video::set_blending(bool on) {
  if (on == blending_) return;
  if (on)
    glEnable(GL_BLEND);
  else
    glDisable(GL_BLEND);
  blending_ = on;
}

void OpenGL_Video::ensure_blending() { set_blending(true); }

bool OpenGL_Video::_deinit() {
  if (window_watch::connection_lost()) {
    // Nothing can be sent to a server that is gone; the process ends holding what it has.
    window_ = nullptr;
    glfw_up_ = false;
    return true;
  }
  // Puts the handler back that takes the errors of a window destroyed under us.
  if (window_ != nullptr) window_watch::window_gone();
  // Textures and buffers are deleted while the context still exists.
  release_everything();
  if (window_ != nullptr) {
    glfwDestroyWindow(window_);
    window_ = nullptr;
  }
  if (glfw_up_) {
    keep_gl_driver_modules_loaded();
    glfwTerminate();
    glfw_up_ = false;
  }
  return true;
}

extern "C" Video_Interface* _get_video_driver(const std::string* params, int count) {
  if (count < 2 || params == nullptr) return nullptr;
  kept_config_name() = params[0];
  kept_prefix() = params[1];
  if (config_get_interface(kept_config_name()) == nullptr) return nullptr;
  return new OpenGL_Video(kept_config_name(), kept_prefix());
}
