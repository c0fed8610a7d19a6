// Particle sets of the OpenGL driver: point sprites or quads, from vertex buffers or immediate mode.
#include <GL/glew.h>

#include <algorithm>

#include "opengl_video.h"

namespace {

constexpr float kQuadTexCoords[8] = {0, 0, 0, 1, 1, 1, 1, 0};

template <typename T>
void erase_all(std::vector<T*>& queue, T* item) {
  queue.erase(std::remove(queue.begin(), queue.end(), item), queue.end());
}

}  // namespace

OpenGL_Particles::OpenGL_Particles(OpenGL_Video* driver, std::string name, std::string group)
    : driver_(driver), name_(std::move(name)), group_(std::move(group)) {}

OpenGL_Particles::~OpenGL_Particles() {
  if (driver_ != nullptr) driver_->forget_particles(this);
  release_buffers();
}

void OpenGL_Particles::release_buffers() {
  if (!use_vbo_) return;
  const GLuint buffers[3] = {position_buffer_, colour_buffer_, tex_coord_buffer_};
  const GLsizei n = tex_coord_buffer_ != 0 ? 3 : 2;
  if (driver_ != nullptr && driver_->has_window()) glDeleteBuffers(n, buffers);
  position_buffer_ = colour_buffer_ = tex_coord_buffer_ = 0;
  use_vbo_ = false;
}

bool OpenGL_Particles::allocate(int count, bool point_mode, bool use_vbo) {
  if (count < 0) return false;
  count_ = count;
  point_mode_ = point_mode;
  const size_t n = static_cast<size_t>(count);
  const size_t vertices = point_mode ? n : 4 * n;
  positions_.assign(vertices * 2, 0.0f);
  colours_.assign(vertices * 4, 0.0f);
  tex_coords_.clear();
  if (!point_mode)
    for (size_t i = 0; i < n; ++i)
      tex_coords_.insert(tex_coords_.end(), kQuadTexCoords, kQuadTexCoords + 8);
  use_vbo_ = use_vbo;
  if (use_vbo_) {
    auto make_buffer = [](GLuint* buffer, size_t floats) {
      glGenBuffers(1, buffer);
      glBindBuffer(GL_ARRAY_BUFFER, *buffer);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floats * sizeof(float)), nullptr,
                   GL_STREAM_DRAW);
    };
    make_buffer(&position_buffer_, positions_.size());
    make_buffer(&colour_buffer_, colours_.size());
    if (!point_mode) make_buffer(&tex_coord_buffer_, tex_coords_.size());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }
  return true;
}

void OpenGL_Particles::set_texture(std::string name, std::string group) {
  has_texture_ = !name.empty();
  if (!has_texture_) return;
  texture_name_ = std::move(name);
  texture_group_ = std::move(group);
}

bool OpenGL_Particles::_set_particle(int i, float x, float y, int r, int g, int b, float a) {
  if (i < 0 || i >= count_) return false;
  const float px = x + base_x_, py = y + base_y_;
  const float colour[4] = {r / 255.0f, g / 255.0f, b / 255.0f, a};
  if (point_mode_) {
    positions_[2 * i] = px;
    positions_[2 * i + 1] = py;
    std::copy(colour, colour + 4, &colours_[4 * i]);
    return true;
  }
  const float q = quad_size_;
  const float corners[8] = {px, py, px, py + q, px + q, py + q, px + q, py};
  std::copy(corners, corners + 8, &positions_[8 * i]);
  for (int v = 0; v < 4; ++v) std::copy(colour, colour + 4, &colours_[16 * i + 4 * v]);
  return true;
}

bool OpenGL_Particles::_get_particle(int i, float* x, float* y, int* r, int* g, int* b,
                                     float* a) {
  if (i < 0 || i >= count_) return false;
  const size_t p = point_mode_ ? 2 * i : 8 * i;
  const size_t c = point_mode_ ? 4 * i : 16 * i;
  // Rounded: 128/255*255 in floats is a hair under 128 and would truncate to 127.
  auto component = [&](size_t k) { return static_cast<int>(colours_[c + k] * 255.0f + 0.5f); };
  if (x) *x = positions_[p];
  if (y) *y = positions_[p + 1];
  if (r) *r = component(0);
  if (g) *g = component(1);
  if (b) *b = component(2);
  if (a) *a = colours_[c + 3];
  return true;
}

void OpenGL_Particles::_set_particle_size(int size) {
  point_size_ = size;
  if (!point_mode_ && driver_ != nullptr && driver_->_get_height() > 0)
    quad_size_ = size / (driver_->_get_height() * 0.5f);
}

void OpenGL_Particles::render() {
  if (count_ == 0 || driver_ == nullptr) return;
  if (point_mode_) glPointSize(static_cast<GLfloat>(point_size_));
  if (has_texture_) {
    auto* surface = dynamic_cast<OpenGL_Surface*>(driver_->_get_surface(texture_name_, texture_group_));
    if (surface != nullptr) {
      if (surface->_is_dirty()) surface->_update();
      glBindTexture(GL_TEXTURE_2D, surface->texture());
      if (point_mode_) {
        glTexEnvi(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_TRUE);
        if (glPointParameterfARB != nullptr) {
          glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 4.0f);
          glPointParameterfARB(GL_POINT_SIZE_MIN_ARB, 1.0f);
          glPointParameterfARB(GL_POINT_SIZE_MAX_ARB,
                               static_cast<GLfloat>(driver_->max_point_size()));
        }
      }
    }
  }
  const GLsizei vertices = point_mode_ ? count_ : 4 * count_;
  if (use_vbo_) {
    // A fresh store each frame: the card may still be reading last frame's (no stall).
    auto upload = [](GLuint buffer, const std::vector<float>& data) {
      glBindBuffer(GL_ARRAY_BUFFER, buffer);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)),
                   data.data(), GL_STREAM_DRAW);
    };
    upload(colour_buffer_, colours_);
    glColorPointer(4, GL_FLOAT, 0, nullptr);
    if (!point_mode_) {
      upload(tex_coord_buffer_, tex_coords_);
      glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
    }
    upload(position_buffer_, positions_);
    glVertexPointer(2, GL_FLOAT, 0, nullptr);
    glDrawArrays(point_mode_ ? GL_POINTS : GL_QUADS, 0, vertices);
    return;
  }
  if (point_mode_) {
    glBegin(GL_POINTS);
    for (int i = 0; i < count_; ++i) {
      glColor4fv(&colours_[4 * i]);
      glVertex2fv(&positions_[2 * i]);
    }
    glEnd();
    return;
  }
  const float q = quad_size_;
  glBegin(GL_QUADS);
  for (int i = 0; i < count_; ++i) {
    const float x = positions_[8 * i], y = positions_[8 * i + 1];
    glColor4fv(&colours_[16 * i]);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(0, 1);
    glVertex2f(x, y + q);
    glTexCoord2f(1, 1);
    glVertex2f(x + q, y + q);
    glTexCoord2f(1, 0);
    glVertex2f(x + q, y);
  }
  glEnd();
}

// ---- the driver's particle operations --------------------------------------------------------

bool OpenGL_Video::_create_particles(std::string name, std::string group,
                                     std::string texture_name, std::string texture_group,
                                     int count, bool replace) {
  auto* set = new OpenGL_Particles(this, name, group);
  Storage<std::string, OpenGL_Particles*>* items = group_for_creation(particles_, group);
  if (items == nullptr) {
    delete set;
    return false;
  }
  if (items->exists(name)) {
    if (!replace) {
      error_ = "Particles already exist: " + name;
      delete set;
      return false;
    }
    delete items->get(name);  // unfiles itself
  }
  // Buffers need a context: a set made before the window opens keeps its arrays in memory.
  if (!set->allocate(count, settings_.point_sprite, settings_.vbo && has_window())) {
    error_ = "Bad particles count: " + std::to_string(count);
    delete set;
    return false;
  }
  set->set_texture(texture_name, texture_group);
  items->add(name, set);
  return true;
}

Video_Particles* OpenGL_Video::_get_particles(std::string name, std::string group) {
  return find_item(particles_, name, group_or_current(group), "Group not exist: ",
                   "Particles not exist: ");
}

bool OpenGL_Video::_draw_particles(std::string name, std::string group, bool under_sprites) {
  OpenGL_Particles* set = find_item(particles_, name, group_or_current(group),
                                    "No such particles group: ", "No such particles: ");
  if (set == nullptr) return false;
  (under_sprites ? particles_under_ : particles_over_).push_back(set);
  return true;
}

bool OpenGL_Video::_remove_particles(std::string name, std::string group) {
  OpenGL_Particles* set =
      find_item(particles_, name, group, "No such particles group: ", "No such particles: ");
  if (set == nullptr) return false;
  delete set;  // unfiles itself
  return true;
}

void OpenGL_Video::forget_particles(OpenGL_Particles* set) {
  if (particles_.exists(set->group())) {
    Storage<std::string, OpenGL_Particles*>* items = particles_.get(set->group());
    if (items->exists(set->name()) && items->get(set->name()) == set) items->remove(set->name());
  }
  erase_all(particles_under_, set);
  erase_all(particles_over_, set);
}

void OpenGL_Video::draw_particle_queue(const std::vector<OpenGL_Particles*>& queue) {
  if (queue.empty()) return;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  if (settings_.vbo) {
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    if (!settings_.point_sprite) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  ensure_blending();
  for (OpenGL_Particles* set : queue) set->render();
  if (settings_.vbo) {
    if (settings_.point_sprite) glTexEnvi(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_FALSE);
    // Leave no buffer bound and no array on: the sprite batch sources its arrays from memory.
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glPopMatrix();
}
