// Particle sets of the OpenGL driver: point sprites or quads, from vertex buffers or immediate mode.
#include <GL/glew.h>

#include <algorithm>

#include "opengl_video.h"

OpenGL_Particles::OpenGL_Particles(OpenGL_Video* driver, std::string name, std::string group)
    : StoredParticles(driver, std::move(name), std::move(group)) {}

OpenGL_Particles::~OpenGL_Particles() { release_buffers(); }

OpenGL_Video* OpenGL_Particles::gl_driver() const { return static_cast<OpenGL_Video*>(driver_); }

void OpenGL_Particles::release_buffers() {
  if (!use_vbo_) return;
  const GLuint buffers[3] = {position_buffer_, colour_buffer_, tex_coord_buffer_};
  const GLsizei n = tex_coord_buffer_ != 0 ? 3 : 2;
  if (driver_ != nullptr && gl_driver()->has_window()) glDeleteBuffers(n, buffers);
  position_buffer_ = colour_buffer_ = tex_coord_buffer_ = 0;
  use_vbo_ = false;
}

bool OpenGL_Particles::allocate(int count, bool point_mode) {
  if (!StoredParticles::allocate(count, point_mode)) return false;
  release_buffers();
  // Buffers need a context: a set made before the window opens keeps its arrays in memory.
  use_vbo_ = driver_ != nullptr && driver_->settings().vbo && gl_driver()->has_window();
  if (use_vbo_) {
    auto make_buffer = [](GLuint* buffer, size_t floats) {
      glGenBuffers(1, buffer);
      glBindBuffer(GL_ARRAY_BUFFER, *buffer);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floats * sizeof(float)), nullptr,
                   GL_STREAM_DRAW);
    };
    make_buffer(&position_buffer_, vertices() * kPositionFloats);
    make_buffer(&colour_buffer_, vertices() * kColourFloats);
    if (!point_mode) make_buffer(&tex_coord_buffer_, vertices() * kTexCoordFloats);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }
  return true;
}

void OpenGL_Particles::render() {
  if (count_ == 0 || driver_ == nullptr) return;
  if (point_mode_) glPointSize(static_cast<GLfloat>(point_size_));
  if (has_texture_) {
    auto* surface = static_cast<OpenGL_Surface*>(driver_->_get_surface(texture_name_, texture_group_));
    if (surface != nullptr) {
      if (surface->_is_dirty()) surface->_update();
      glBindTexture(GL_TEXTURE_2D, surface->texture());
      if (point_mode_) {
        glTexEnvi(GL_POINT_SPRITE_ARB, GL_COORD_REPLACE_ARB, GL_TRUE);
        if (glPointParameterfARB != nullptr) {
          glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 4.0f);
          glPointParameterfARB(GL_POINT_SIZE_MIN_ARB, 1.0f);
          glPointParameterfARB(GL_POINT_SIZE_MAX_ARB,
                               static_cast<GLfloat>(gl_driver()->max_point_size()));
        }
      }
    }
  }
  const GLsizei vertices = point_mode_ ? count_ : 4 * count_;
  if (use_vbo_) {
    // A fresh store each frame: the card may still be reading last frame's (no stall).
    auto upload = [vertices](GLuint buffer, const float* data, GLsizei floats_per_vertex) {
      glBindBuffer(GL_ARRAY_BUFFER, buffer);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices * floats_per_vertex * sizeof(float)),
                   data, GL_STREAM_DRAW);
    };
    upload(colour_buffer_, colours_, kColourFloats);
    glColorPointer(4, GL_FLOAT, 0, nullptr);
    if (!point_mode_) {
      upload(tex_coord_buffer_, tex_coords_, kTexCoordFloats);
      glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
    }
    upload(position_buffer_, positions_, kPositionFloats);
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

// ---- the driver's particle queues ---------------------------------------------------------

void OpenGL_Video::draw_particle_queue(const std::vector<StoredParticles*>& queue) {
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
  for (StoredParticles* set : queue) static_cast<OpenGL_Particles*>(set)->render();  // made by new_particles
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
