// Surfaces, groups and sprites of the OpenGL driver, and the sprite batch renderer.
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

// ---- lookups ---------------------------------------------------------------------------------

Video_Surface* OpenGL_Video::_get_surface(std::string name, std::string group) {
  return find_item(surfaces_, name, group_or_current(group), "Group not exist: ",
                   "Surface not exist: ");
}

Video_Sprite* OpenGL_Video::_get_sprite(std::string name, std::string group) {
  return find_item(sprites_, name, group_or_current(group), "Group not exist: ",
                   "Sprite not exist: ");
}

// ---- surfaces --------------------------------------------------------------------------------

bool OpenGL_Video::_create_surface(double w_factor, double h_factor, std::string name,
                                   std::string group, bool replace) {
  const double w = settings_.width * w_factor, h = settings_.height * h_factor;
  // Out-of-range factors must not overflow the conversion; _create refuses the size.
  const int wi = std::isfinite(w) && std::fabs(w) < 1e6 ? static_cast<int>(w) : 0;
  const int hi = std::isfinite(h) && std::fabs(h) < 1e6 ? static_cast<int>(h) : 0;
  return _create_surface(wi, hi, std::move(name), std::move(group), replace);
}

bool OpenGL_Video::_create_surface(int w, int h, std::string name, std::string group,
                                   bool replace) {
  group = group_or_current(group);
  auto* surface = new OpenGL_Surface(this);
  if (!surface->_create(w, h)) {
    error_ = "Can`t crfeate surface";
    delete surface;
    return false;
  }
  Storage<std::string, Video_Surface*>* items = group_for_creation(surfaces_, group);
  if (items == nullptr) {
    delete surface;
    return false;
  }
  if (items->exists(name)) {
    if (!replace) {
      error_ = "Surface already exist: " + name;
      delete surface;
      return false;
    }
    _remove_surface(name, group);
  }
  items->add(name, surface);
  return true;
}

bool OpenGL_Video::_remove_surface(std::string name, std::string group) {
  if (!surfaces_.exists(group)) {
    error_ = "No such group: " + group;
    return false;
  }
  Storage<std::string, Video_Surface*>* items = surfaces_.get(group);
  if (!items->exists(name)) {
    error_ = "No such surface: " + name;
    return false;
  }
  // Its sprites stay; the surface's destructor unlinks them and they relink to a successor.
  delete items->get(name);
  items->remove(name);
  return true;
}

bool OpenGL_Video::_set_group(std::string group) {
  if (!surfaces_.exists(group)) {
    error_ = "Group " + group + " not exist";
    return false;
  }
  current_group_ = group;
  return true;
}

// ---- sprites ---------------------------------------------------------------------------------

bool OpenGL_Video::_create_sprite(std::string name, std::string group, std::string surface_name,
                                  std::string surface_group, bool replace) {
  auto* sprite = new Video_Sprite(name, group, this);
  Storage<std::string, Video_Sprite*>* items = group_for_creation(sprites_, group);
  if (items == nullptr) {
    delete sprite;
    return false;
  }
  if (items->exists(name)) {
    if (!replace) {
      error_ = "Sprite already exist: " + name;
      delete sprite;
      return false;
    }
    // The displaced sprite is released, not left in its surface's list to be drawn on.
    Video_Sprite* old = items->get(name);
    items->remove(name);
    release_sprite(old);
  }
  sprite->_set_surface(this, surface_name, surface_group);
  items->add(name, sprite);
  return true;
}

void OpenGL_Video::release_sprite(Video_Sprite* sprite) {
  if (sprite->_queued_)
    sprite_queue_.erase(std::remove(sprite_queue_.begin(), sprite_queue_.end(), sprite),
                        sprite_queue_.end());
  delete sprite;  // unlinks itself from its surface
}

bool OpenGL_Video::_remove_sprite(std::string name, std::string group) {
  if (!sprites_.exists(group)) {
    error_ = "No such group: " + group;
    return false;
  }
  Storage<std::string, Video_Sprite*>* items = sprites_.get(group);
  if (!items->exists(name)) {
    error_ = "No such sprite: " + name;
    return false;
  }
  Video_Sprite* sprite = items->get(name);
  items->remove(name);
  release_sprite(sprite);
  return true;
}

bool OpenGL_Video::_draw_sprite(Video_Sprite* sprite) {
  if (sprite == nullptr) {
    error_ = "Illegal sprite handler! 0x00000000";
    return false;
  }
  sprite->_drawn_ = false;
  sprite->_queued_ = true;
  sprite_queue_.push_back(sprite);
  return true;
}

bool OpenGL_Video::_draw_sprite(std::string name, std::string group) {
  group = group_or_current(group);
  if (!sprites_.exists(group)) {
    error_ = "No such group: " + group;
    return false;
  }
  Storage<std::string, Video_Sprite*>* items = sprites_.get(group);
  if (!items->exists(name)) {
    error_ = "No such surface: " + name;
    return false;
  }
  return _draw_sprite(items->get(name));
}

bool OpenGL_Video::_set_cursor_sprite(std::string name, std::string group) {
  cursor_name_ = std::move(name);
  cursor_group_ = std::move(group);
  return true;
}

bool OpenGL_Video::_is_point_in_sprite(double x, double y, double px, double py,
                                       std::string name, std::string group) {
  Video_Sprite* sprite = _get_sprite(name, group);
  if (sprite == nullptr) return false;
  const float left = static_cast<float>(x - sprite->_get_base_x());
  const float bottom = static_cast<float>(y - sprite->_get_base_y());
  const double right = left + sprite->_get_width() / (settings_.width * 0.5);
  const double top = bottom + sprite->_get_height() / (settings_.height * 0.5);
  return left <= px && px <= right && bottom <= py && py <= top;
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
  for (Video_Sprite* queued : sprite_queue_) {
    if (!queued->_queued_ || queued->_drawn_) continue;
    Video_Surface* found = _get_surface(queued->_get_surface_name(), queued->_get_surface_group());
    auto* surface = dynamic_cast<OpenGL_Surface*>(found);
    if (surface == nullptr) continue;
    if (queued->_linked_surface_ != surface) {
      // Its surface was replaced since the sprite was made: join the new one at its size.
      if (queued->_linked_surface_ != nullptr) queued->_linked_surface_->_unlink_sprite(queued);
      queued->_set_size(surface->_get_width(), surface->_get_height());
      surface->_link_sprite(queued);
    }
    if (surface->_is_dirty()) surface->_update();
    glBindTexture(GL_TEXTURE_2D, surface->texture());
    set_blending(surface->_get_alpha_status() == ALPHA_BLENDED);

    batch_.clear();
    batch_.reserve(4 * surface->_get_linked_sprites().size());
    for (Video_Sprite* s : surface->_get_linked_sprites()) {
      if (s == nullptr || !s->_queued_ || s->_drawn_) continue;
      append_quad(batch_, *s, W, H, G, surface->tu(), surface->tv());
      s->_drawn_ = true;
      s->_queued_ = false;
    }
    if (!arrays_on) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glEnableClientState(GL_COLOR_ARRAY);
      glEnableClientState(GL_VERTEX_ARRAY);
      arrays_on = true;
    }
    const GLsizei stride = sizeof(SpriteVertex);
    glTexCoordPointer(2, GL_FLOAT, stride, &batch_[0].s);
    glColorPointer(4, GL_UNSIGNED_BYTE, stride, batch_[0].rgba);
    glVertexPointer(2, GL_FLOAT, stride, &batch_[0].x);
    glDrawArrays(GL_QUADS, 0, static_cast<GLsizei>(batch_.size()));
  }
  if (arrays_on) {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
  }
}
