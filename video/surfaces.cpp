// The OpenGL driver's surfaces (textures) and the sprite batch renderer.
#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "opengl_video.h"

// ---- OpenGL_Surface --------------------------------------------------------------------------

namespace {

void release_texture(void* driver, unsigned texture) {
  // Without a window the context, and every texture with it, is gone already.
  if (static_cast<OpenGL_Video*>(driver)->has_window()) glDeleteTextures(1, &texture);
}

}  // namespace

OpenGL_Surface::OpenGL_Surface(OpenGL_Video* driver) : driver_(driver) {
  pixels_->release_texture = release_texture;
  pixels_->driver = driver;
}

int OpenGL_Surface::_get_pitch() { return texture_width_ * bpp_; }

void OpenGL_Surface::_update() {
  // Without a window there is no context to upload to; the pixels stay marked for later.
  Video_Pixels& pixels = *pixels_;
  if (driver_ == nullptr || !driver_->has_window() || pixels.data.empty()) return;
  if (pixels.texture != 0) glDeleteTextures(1, &pixels.texture);
  glGenTextures(1, &pixels.texture);
  glBindTexture(GL_TEXTURE_2D, pixels.texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexImage2D(GL_TEXTURE_2D, 0, 4, texture_width_, texture_height_, 0, GL_RGBA,
               GL_UNSIGNED_BYTE, pixels.data.data());
  pixels.dirty = false;
  driver_->must_draw();
}

// ---- the sprite batch renderer ---------------------------------------------------------------

namespace {

unsigned char colour_byte(float v) {
  return static_cast<unsigned char>(v <= 0 ? 0 : v >= 1 ? 255 : v * 255.0f + 0.5f);
}

// Writes the four corners of one sprite (lower left, upper left, upper right, lower right).
void write_quad(SpriteVertex* out, Video_Sprite& s, float W, float H, float G, float tu, float tv) {
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
  for (int i = 0; i < 4; ++i) {
    SpriteVertex& v = out[i];
    const float u = corners[i][0], w = corners[i][1];
    v.s = tex[i][0];
    v.t = tex[i][1];
    std::copy(colour, colour + 4, v.rgba);
    v.x = (u * c - w * sn + x) * kx;
    v.y = (u * sn + w * c + y) * ky;
  }
}

}  // namespace

void OpenGL_Video::lay_out_sprite_queue() {
  vertices_.clear();
  batches_.clear();
  if (sprite_queue_.empty()) return;
  struct {
    float W, H, G;
  } frame{static_cast<float>(settings_.width), static_cast<float>(settings_.height),
          static_cast<float>(scale_)};
  // Two pointers of captures: the std::function keeps them without allocating.
  for_each_sprite_batch([this, &frame](Video_Surface& stored, const std::vector<Video_Sprite*>& sprites) {
    if (sprites.empty()) return;
    auto& surface = static_cast<OpenGL_Surface&>(stored);  // made by new_surface
    if (surface._is_dirty()) surface._update();
    const int first = static_cast<int>(vertices_.size());
    // One resize per batch: growing by four per sprite cost a tenth of the frame's flip.
    vertices_.resize(vertices_.size() + 4 * sprites.size());
    SpriteVertex* out = vertices_.data() + first;
    for (Video_Sprite* s : sprites) {
      write_quad(out, *s, frame.W, frame.H, frame.G, surface.tu(), surface.tv());
      out += 4;
    }
    batches_.push_back({surface.texture(), surface._get_alpha_status() == ALPHA_BLENDED, first,
                        static_cast<int>(vertices_.size()) - first});
  });
}

void OpenGL_Video::draw_sprite_batches() {
  sprite_binds_ = 0;
  if (batches_.empty()) return;
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_VERTEX_ARRAY);
  const GLsizei stride = sizeof(SpriteVertex);
  glTexCoordPointer(2, GL_FLOAT, stride, &vertices_[0].s);
  glColorPointer(4, GL_UNSIGNED_BYTE, stride, vertices_[0].rgba);
  glVertexPointer(2, GL_FLOAT, stride, &vertices_[0].x);
  for (const SpriteBatch& batch : batches_) {
    glBindTexture(GL_TEXTURE_2D, batch.texture);
    ++sprite_binds_;
    set_blending(batch.blended);
    glDrawArrays(GL_QUADS, batch.first, batch.count);
  }
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);
}

bool OpenGL_Video::same_as_drawn() const {
  auto same_batch = [](const SpriteBatch& a, const SpriteBatch& b) {
    return a.texture == b.texture && a.blended == b.blended && a.first == b.first && a.count == b.count;
  };
  // Bitwise: the same bits draw the same pixels.
  return batches_.size() == drawn_batches_.size() && vertices_.size() == drawn_vertices_.size() &&
         std::equal(batches_.begin(), batches_.end(), drawn_batches_.begin(), same_batch) &&
         (vertices_.empty() ||
          std::memcmp(vertices_.data(), drawn_vertices_.data(), vertices_.size() * sizeof(SpriteVertex)) == 0);
}
