// The OpenGL driver's surfaces (textures) and the sprite batch renderer.
#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "opengl_video.h"

// ---- OpenGL_Surface --------------------------------------------------------------------------

int OpenGL_Surface::_get_pitch() { return texture_width_ * bpp_; }

bool OpenGL_Surface::_create(int w, int h) {
  if (!Video_Surface::_create(w, h)) return false;
  tu_ = static_cast<float>(w) / texture_width_;
  tv_ = static_cast<float>(h) / texture_height_;
  return true;
}

void OpenGL_Surface::_update() {
  // Without a window there is no context to upload to; the pixels stay marked for later.
  if (driver_ == nullptr || !driver_->has_window() || pixels_.empty()) return;
  if (texture_ != 0) glDeleteTextures(1, &texture_);
  glGenTextures(1, &texture_);
  glBindTexture(GL_TEXTURE_2D, texture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, texture_width_, texture_height_, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, pixels_.data());
  dirty_ = false;
}

OpenGL_Surface::~OpenGL_Surface() {
  if (texture_ != 0 && driver_ != nullptr && driver_->has_window()) glDeleteTextures(1, &texture_);
}

// ---- the sprite batch renderer ---------------------------------------------------------------

namespace {

unsigned char colour_byte(float v) {
  return static_cast<unsigned char>(v <= 0 ? 0 : v >= 1 ? 255 : v * 255.0f + 0.5f);
}

// Appends the four corners of one sprite (lower left, upper left, upper right, lower right).
void append_quad(std::vector<SpriteVertex>& out, Video_Sprite& s, float W, float H, float G,
                 float tu, float tv) {
  // Floats are plenty for pixel positions and keep the per-sprite cost down.
  const float bx = static_cast<float>(s._get_base_x()), by = static_cast<float>(s._get_base_y());
  const float uL = -bx, uR = -bx + 2.0f * s._get_width() / W;
  const float vB = -by, vT = -by + 2.0f * s._get_height() / H;
  const float r = s._get_rotation();
  const float c = r == 0 ? 1.0f : std::cos(r), sn = r == 0 ? 0.0f : std::sin(r);
  const float x = static_cast<float>(s._get_x()), y = static_cast<float>(s._get_y());
  const float kx = s._get_scale_x() * G, ky = s._get_scale_y() * G;
  const unsigned char colour[4] = {colour_byte(s._get_blend_r()), colour_byte(s._get_blend_g()),
                                   colour_byte(s._get_blend_b()), colour_byte(s._get_alpha())};
  const float corners[4][2] = {{uL, vB}, {uL, vT}, {uR, vT}, {uR, vB}};
  const float tex[4][2] = {{0, 0}, {0, tv}, {tu, tv}, {tu, 0}};
  const size_t first = out.size();
  out.resize(first + 4);
  for (int i = 0; i < 4; ++i) {
    SpriteVertex& v = out[first + i];
    const float u = corners[i][0], w = corners[i][1];
    v.s = tex[i][0];
    v.t = tex[i][1];
    std::copy(colour, colour + 4, v.rgba);
    v.x = (u * c - w * sn + x) * kx;
    v.y = (u * sn + w * c + y) * ky;
  }
}

}  // namespace

void OpenGL_Video::draw_sprite_queue() {
  if (sprite_queue_.empty()) return;
  const float W = settings_.width, H = settings_.height, G = static_cast<float>(scale_);
  bool arrays_on = false;
  for_each_sprite_batch([&](Video_Surface& stored, const std::vector<Video_Sprite*>& sprites) {
    if (sprites.empty()) return;
    auto& surface = static_cast<OpenGL_Surface&>(stored);  // made by new_surface
    if (surface._is_dirty()) surface._update();
    glBindTexture(GL_TEXTURE_2D, surface.texture());
    set_blending(surface._get_alpha_status() == ALPHA_BLENDED);

    vertices_.clear();
    vertices_.reserve(4 * sprites.size());
    for (Video_Sprite* s : sprites) append_quad(vertices_, *s, W, H, G, surface.tu(), surface.tv());
    if (!arrays_on) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glEnableClientState(GL_COLOR_ARRAY);
      glEnableClientState(GL_VERTEX_ARRAY);
      arrays_on = true;
    }
    const GLsizei stride = sizeof(SpriteVertex);
    glTexCoordPointer(2, GL_FLOAT, stride, &vertices_[0].s);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, vertices_[0].rgba);
    glVertexPointer(2, GL_FLOAT, stride, &vertices_[0].x);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(vertices_.size()));
  });
  if (arrays_on) {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }
}
