#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include "olvane/video.h"

namespace {

int clamp_byte(int v) { return std::min(255, std::max(0, v)); }

// Smallest power of two >= v, for v in 1..32768.
int power_of_two(int v) {
  unsigned p = static_cast<unsigned>(v) - 1;
  p |= p >> 1;
  p |= p >> 2;
  p |= p >> 4;
  p |= p >> 8;
  return static_cast<int>(p + 1);
}

constexpr double kDegreesToRadians = 0.017453292519943295;

using PictureKey = std::pair<Video_Interface*, std::string>;

// Never destroyed: pixels may outlive static destruction in drivers that are never removed.
std::map<PictureKey, std::weak_ptr<Video_Pixels>>& pictures() {
  static auto* filed = new std::map<PictureKey, std::weak_ptr<Video_Pixels>>();
  return *filed;
}

}  // namespace

// ---- loaded pictures -------------------------------------------------------------------------

Video_Pixels::~Video_Pixels() {
  if (texture != 0 && release_texture != nullptr) release_texture(driver, texture);
  if (picture_key.empty()) return;
  auto entry = pictures().find({picture_video, picture_key});
  if (entry != pictures().end() && entry->second.expired()) pictures().erase(entry);
}

void video_keep_picture(Video_Interface* video, const std::string& key, Video_Surface* surface) {
  if (video == nullptr || surface == nullptr) return;
  Video_Pixels& pixels = *surface->_get_pixels();
  if (!pixels.picture_key.empty()) return;  // filed already
  pixels.picture_video = video;
  pixels.picture_key = key;
  pictures()[{video, key}] = surface->_get_pixels();
}

std::shared_ptr<Video_Pixels> video_find_picture(Video_Interface* video, const std::string& key) {
  auto entry = pictures().find({video, key});
  return entry == pictures().end() ? nullptr : entry->second.lock();
}

// ---- VideoColor ----------------------------------------------------------------------------

void VideoColor::set_color(int r, int g, int b, int a) {
  const int c[4] = {clamp_byte(r), clamp_byte(g), clamp_byte(b), clamp_byte(a)};
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(c[i]);
  red = c[0] / 255.0f;
  green = c[1] / 255.0f;
  blue = c[2] / 255.0f;
  alpha = c[3] / 255.0f;
}

// ---- Event -----------------------------------------------------------------------------------

EVENT_TYPE Event::_get_type() { return type; }

void Event::_get_mouse_state(float* px, float* py, int* pbuttons) {
  if (px) *px = x;
  if (py) *py = y;
  if (pbuttons) *pbuttons = buttons;
}

int Event::_get_keyboard_state() { return key; }
int Event::_get_char() { return character; }
Event::~Event() = default;

// ---- Video_Surface ---------------------------------------------------------------------------

Video_Surface::Video_Surface() : pixels_(std::make_shared<Video_Pixels>()) {
  pixels_->shown_by = this;
}

Video_Surface::~Video_Surface() {
  // Sprites outlive their surface; they must not point at it any more.
  for (Video_Sprite* sprite : linked_)
    if (sprite != nullptr && sprite->_linked_surface_ == this) sprite->_linked_surface_ = nullptr;
  leave_sharers();
}

void Video_Surface::leave_sharers() {
  if (pixels_ && pixels_->shown_by == this)
    pixels_->shown_by = next_sharer_ != this ? next_sharer_ : nullptr;
  previous_sharer_->next_sharer_ = next_sharer_;
  next_sharer_->previous_sharer_ = previous_sharer_;
  next_sharer_ = previous_sharer_ = this;
}

bool Video_Surface::_share_pixels(const std::shared_ptr<Video_Pixels>& pixels) {
  if (!pixels || pixels->data.empty()) return false;
  if (pixels == pixels_) return true;
  leave_sharers();
  pixels_ = pixels;
  width_ = pixels->width;
  height_ = pixels->height;
  texture_width_ = pixels->texture_width;
  texture_height_ = pixels->texture_height;
  bpp_ = 4;
  if (Video_Surface* other = pixels->shown_by) {
    previous_sharer_ = other;
    next_sharer_ = other->next_sharer_;
    other->next_sharer_->previous_sharer_ = this;
    other->next_sharer_ = this;
  } else {
    pixels->shown_by = this;
  }
  for (Video_Sprite* sprite : linked_)
    if (sprite != nullptr) sprite->_set_size(width_, height_);
  return true;
}

void* Video_Surface::_get_surface_data() {
  return pixels_->data.empty() ? nullptr : pixels_->data.data();
}
int Video_Surface::_get_width() { return width_; }
int Video_Surface::_get_height() { return height_; }
int Video_Surface::_get_bpp() { return bpp_; }
int Video_Surface::_get_pitch() { return texture_width_ * bpp_; }
unsigned Video_Surface::_get_Rmask() { return rmask_; }
unsigned Video_Surface::_get_Bmask() { return bmask_; }
unsigned Video_Surface::_get_Gmask() { return gmask_; }
unsigned Video_Surface::_get_Amask() { return amask_; }

void Video_Surface::_link_sprite(Video_Sprite* sprite) {
  if (sprite == nullptr || sprite->_linked_surface_ == this) return;
  // A sprite is in one list at a time, so that deleting it leaves no pointer behind.
  if (sprite->_linked_surface_ != nullptr) sprite->_linked_surface_->_unlink_sprite(sprite);
  sprite->_link_index_ = linked_.size();
  linked_.push_back(sprite);
  sprite->_linked_surface_ = this;
}

void Video_Surface::_link_sprite(std::string name, std::string group) {
  linked_names_.emplace_back(std::move(name), std::move(group));
}

void Video_Surface::_unlink_sprite(Video_Sprite* sprite) {
  if (sprite == nullptr || sprite->_linked_surface_ != this) return;
  const std::size_t at = sprite->_link_index_;
  if (at < linked_.size() && linked_[at] == sprite) {
    linked_[at] = nullptr;
    ++unlinked_;
  }
  sprite->_linked_surface_ = nullptr;
  // Closing the gaps once they are half the list keeps removals constant time on average.
  if (2 * unlinked_ < linked_.size()) return;
  std::size_t kept = 0;
  for (Video_Sprite* linked : linked_) {
    if (linked == nullptr) continue;
    linked->_link_index_ = kept;
    linked_[kept++] = linked;
  }
  linked_.resize(kept);
  unlinked_ = 0;
}

bool Video_Surface::_create(int w, int h) {
  if (w < 1 || h < 1 || w > 32768 || h > 32768) return false;
  // Fresh pixels, so that neither the surfaces sharing the old ones nor a filed picture change.
  auto fresh = std::make_shared<Video_Pixels>();
  fresh->release_texture = pixels_->release_texture;
  fresh->driver = pixels_->driver;
  leave_sharers();
  pixels_ = std::move(fresh);
  pixels_->shown_by = this;
  texture_width_ = pixels_->texture_width = power_of_two(w);
  texture_height_ = pixels_->texture_height = power_of_two(h);
  width_ = pixels_->width = w;
  height_ = pixels_->height = h;
  bpp_ = 4;
  // Zeroed by the allocator: the padding up to the texture's size is never written.
  pixels_->data.resize(static_cast<size_t>(texture_width_) * texture_height_ * 4);
  rmask_ = 0xff000000u;
  gmask_ = 0x00ff0000u;
  bmask_ = 0x0000ff00u;
  amask_ = 0x000000ffu;
  alpha_status_ = ALPHA_BLENDED;
  pixels_->dirty = true;
  return true;
}

bool Video_Surface::_split_texture_(unsigned short x, unsigned short y, unsigned short w,
                                    unsigned short h, short* out, unsigned char channel) {
  if (out == nullptr || channel > 3 || x + w > width_ || y + h > height_) return false;
  const size_t pitch = static_cast<size_t>(texture_width_) * 4;
  for (int row = 0; row < h; ++row)
    for (int col = 0; col < w; ++col)
      *out++ = pixels_->data[(y + row) * pitch + (x + col) * 4 + channel];
  return true;
}

void Video_Surface::_update() { pixels_->dirty = false; }
void Video_Surface::_set_alpha_status(ALPHASTATE status) { alpha_status_ = status; }
ALPHASTATE Video_Surface::_get_alpha_status() { return alpha_status_; }

// ---- Video_Sprite ----------------------------------------------------------------------------

Video_Sprite::Video_Sprite(std::string name, std::string group, Video_Interface* video)
    : name_(std::move(name)), group_(std::move(group)), video_(video) {}

Video_Sprite::~Video_Sprite() {
  if (_linked_surface_ != nullptr) _linked_surface_->_unlink_sprite(this);
}

double Video_Sprite::window_width() const {
  const double w = video_ ? video_->_get_width() : 0;
  return w > 0 ? w : 1;
}

double Video_Sprite::window_height() const {
  const double h = video_ ? video_->_get_height() : 0;
  return h > 0 ? h : 1;
}

void Video_Sprite::_set_scale(float sx, float sy) {
  scale_x_ = sx;
  scale_y_ = sy;
}

void Video_Sprite::_set_rotation(float degrees) {
  rotation_ = static_cast<float>(degrees * kDegreesToRadians);
}

void Video_Sprite::_set_base_point(int px, int py) {
  base_x_ = 2.0 * px / window_width();
  base_y_ = 2.0 * py / window_height();
}

void Video_Sprite::_set_base_point(double fx, double fy) {
  base_x_ = fx * _get_h_offset();
  base_y_ = fy * _get_v_offset();
}

void Video_Sprite::_set_alpha(float alpha) { alpha_ = alpha; }

void Video_Sprite::_set_coord(double x, double y) {
  x_ = x;
  y_ = y;
}

void Video_Sprite::_set_surface(Video_Interface* video, std::string name, std::string group) {
  if (_linked_surface_ != nullptr) _linked_surface_->_unlink_sprite(this);
  video_ = video;
  surface_name_ = std::move(name);
  surface_group_ = std::move(group);
  if (video_ == nullptr) return;
  // Lookups of a missing surface leave a message in the driver; the sprite just stays unlinked.
  if (Video_Surface* surface = video_->_get_surface(surface_name_, surface_group_)) {
    width_ = surface->_get_width();
    height_ = surface->_get_height();
    surface->_link_sprite(this);
  }
}

void Video_Sprite::_set_blend_color(float r, float g, float b) {
  blend_r_ = r;
  blend_g_ = g;
  blend_b_ = b;
}

int Video_Sprite::_get_height() { return height_; }
int Video_Sprite::_get_width() { return width_; }
double Video_Sprite::_get_x() { return x_; }
double Video_Sprite::_get_y() { return y_; }
double Video_Sprite::_get_base_x() { return base_x_; }
double Video_Sprite::_get_base_y() { return base_y_; }
double Video_Sprite::_get_v_offset() { return 2.0 * height_ / window_height(); }
double Video_Sprite::_get_h_offset() { return 2.0 * width_ / window_width(); }

void Video_Sprite::_get_rectangle(VideoRect* rect) {
  if (rect == nullptr) return;
  const double scale = video_ != nullptr && video_->_get_scale() > 0 ? video_->_get_scale() : 1.0;
  const double left = x_ - base_x_, bottom = y_ - base_y_;
  rect->x1 = left * scale_x_ * scale;
  rect->x2 = (left + _get_h_offset()) * scale_x_ * scale;
  rect->y1 = bottom * scale_y_ * scale;
  rect->y2 = (bottom + _get_v_offset()) * scale_y_ * scale;
}

// ---- Video_Particles, Video_Features, Video_Interface ---------------------------------------

Video_Particles::~Video_Particles() = default;

void Video_Particles::_set_particles_base_coord(float x, float y) {
  base_x_ = x;
  base_y_ = y;
}

void Video_Particles::_get_particles_base_coord(float* x, float* y) {
  if (x) *x = base_x_;
  if (y) *y = base_y_;
}

bool Video_Features::_support_get_main_surfaace() { return false; }
Video_Features::~Video_Features() = default;

bool Video_Interface::_blit(std::string, double, double, std::string, double, double) {
  return false;
}
bool Video_Interface::_blit(std::string, int, int, std::string, int, int) { return false; }
double Video_Interface::_get_scale() { return 1.0; }
bool Video_Interface::_set_window_mode(int, int, bool) { return false; }
bool Video_Interface::_is_full_screen() { return false; }
void Video_Interface::_set_frame_limit(float) {}
Video_Interface::~Video_Interface() = default;
