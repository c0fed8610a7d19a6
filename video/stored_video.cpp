// The storage rules every driver shares: surfaces, sprites and particle sets by (name, group),
// the frame's queues, the settings and the event queue.
#include "stored_video.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>

#include "carrow/config.h"
#include "tarnvale/number_limits.h"

namespace {

constexpr float kQuadTexCoords[8] = {0, 0, 0, 1, 1, 1, 1, 0};

template <typename T>
void erase_all(std::vector<T*>& queue, T* item) {
  queue.erase(std::remove(queue.begin(), queue.end(), item), queue.end());
}

// Releases every item and empties the storages, the outer one too (its entries would point at
// freed inner ones). Each entry goes with its item, in one walk: the entries of 40,000 items do
// not stay in the caches until a second walk that frees them.
template <typename T, typename Release>
void release_all(Storage<std::string, Storage<std::string, T*>*>& groups, Release release) {
  for (auto& group : groups) {
    Storage<std::string, T*>& items = *group.second;
    while (!items.empty()) {
      const auto first = items.begin();
      release(first->second);
      items.remove(first);
    }
    delete group.second;
  }
  groups = Storage<std::string, Storage<std::string, T*>*>();
}

}  // namespace

VideoSettings read_video_settings(Config_Interface* config, const std::string& config_name,
                                  const std::string& prefix) {
  VideoSettings s;
  auto value = [&](const char* key, const std::string& fallback) {
    return config->get_value(prefix + key, fallback);
  };
  // The numbers are checked against the table's "Video" section whatever the prefix.
  auto number = [&](const char* key) {
    double read = 0;
    tarnvale::read_number(config, prefix + key,
                          *tarnvale::find_number_limit(std::string("Video->") + key), config_name,
                          &read);
    return read;
  };
  s.width = static_cast<short>(number("Width"));
  s.height = static_cast<short>(number("Height"));
  // Flags, like the numbers, by the table's "Video" section whatever the prefix.
  auto flag = [&](const char* key) {
    return tarnvale::read_flag(config, prefix + key, *tarnvale::find_flag_limit(std::string("Video->") + key));
  };
  s.double_buffer = flag("DoubleBuffer");
  s.full_screen = flag("FullScreen");
  s.mouse_visible = !flag("HideMouse");
  s.caption = value("Caption", std::string("OpenGL video driver Version: ") + "2.0.0");
  s.base_height = static_cast<short>(number("BaseHeight"));
  s.vbo = flag("VBO");
  s.point_sprite = flag("PointSprite");
  s.limit_fps = static_cast<float>(number("LimitFPS"));
  s.first_frame_at_once = flag("FirstFrameAtOnce");
  s.skip_unchanged_frames = flag("SkipUnchangedFrames");
  s.resizable = flag("Resizable");
  s.window_width = static_cast<short>(number("WindowWidth"));
  s.window_height = static_cast<short>(number("WindowHeight"));
  return s;
}

// ---- StoredParticles -------------------------------------------------------------------------

StoredParticles::StoredParticles(StoredVideo* driver, std::string name, std::string group)
    : driver_(driver), name_(std::move(name)), group_(std::move(group)) {}

StoredParticles::~StoredParticles() {
  if (driver_ != nullptr) driver_->forget_particles(this);
}

bool StoredParticles::allocate(int count, bool point_mode) {
  if (count < 0) return false;
  count_ = count;
  point_mode_ = point_mode;
  const size_t n = vertices();
  vertex_data_.assign(n * (kPositionFloats + kColourFloats + (point_mode ? 0 : kTexCoordFloats)), 0.0f);
  positions_ = vertex_data_.data();
  colours_ = positions_ + n * kPositionFloats;
  tex_coords_ = point_mode ? nullptr : colours_ + n * kColourFloats;
  if (!point_mode)
    for (size_t i = 0; i < static_cast<size_t>(count); ++i)
      std::copy(kQuadTexCoords, kQuadTexCoords + 8, tex_coords_ + 8 * i);
  return true;
}

void StoredParticles::set_texture(std::string name, std::string group) {
  has_texture_ = !name.empty();
  if (!has_texture_) return;
  texture_name_ = std::move(name);
  texture_group_ = std::move(group);
}

bool StoredParticles::_set_particle(int i, float x, float y, int r, int g, int b, float a) {
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

bool StoredParticles::_get_particle(int i, float* x, float* y, int* r, int* g, int* b, float* a) {
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

void StoredParticles::_set_particle_size(int size) {
  point_size_ = size;
  if (!point_mode_ && driver_ != nullptr && driver_->_get_height() > 0)
    quad_size_ = size / (driver_->_get_height() * 0.5f);
}

// ---- the driver ------------------------------------------------------------------------------

StoredVideo::StoredVideo(std::string config_name, std::string prefix)
    : config_name_(std::move(config_name)), prefix_(std::move(prefix)) {}

StoredVideo::~StoredVideo() { release_everything(); }

Video_Features* StoredVideo::_get_features() {
  static StoredVideo_Features features;
  return &features;
}

bool StoredVideo::read_settings() {
  Config_Interface* config = config_get_interface(config_name_);
  if (config == nullptr) {
    error_ = "Can`t get config interface";
    return false;
  }
  settings_ = read_video_settings(config, config_name_, prefix_);
  // A base height of 0 or less would divide by zero: keep the window's own height.
  scale_ = settings_.base_height > 0
               ? static_cast<double>(settings_.height) / settings_.base_height
               : 1.0;
  return true;
}

bool StoredVideo::check_window_size() {
  if (settings_.width > 0 && settings_.height > 0) return true;
  error_ = "Unable to create window";
  return false;
}

template <typename T>
T* StoredVideo::find_item(Groups<T>& groups, const std::string& name, const std::string& group,
                          const char* group_message, const char* item_message) {
  auto items = groups.find(group);
  if (items == groups.end()) {
    error_ = group_message + group;
    return nullptr;
  }
  auto item = items->second->find(name);
  if (item == items->second->end()) {
    error_ = item_message + name;
    return nullptr;
  }
  return item->second;
}

template <typename T>
Storage<std::string, T*>* StoredVideo::group_for_creation(Groups<T>& groups,
                                                          const std::string& group) {
  if (!groups.exists(group)) groups.add(group, new Storage<std::string, T*>());
  if (!groups.exists(group)) {
    error_ = "Group not exist: " + group + " and creation was unsuccesfull";
    return nullptr;
  }
  return groups.get(group);
}

// ---- surfaces --------------------------------------------------------------------------------

Video_Surface* StoredVideo::_get_surface(std::string name, std::string group) {
  return find_item(surfaces_, name, group_or_current(group), "Group not exist: ",
                   "Surface not exist: ");
}

bool StoredVideo::_create_surface(double w_factor, double h_factor, std::string name,
                                  std::string group, bool replace) {
  const double w = settings_.width * w_factor, h = settings_.height * h_factor;
  // Out-of-range factors must not overflow the conversion; _create refuses the size.
  const int wi = std::isfinite(w) && std::fabs(w) < 1e6 ? static_cast<int>(w) : 0;
  const int hi = std::isfinite(h) && std::fabs(h) < 1e6 ? static_cast<int>(h) : 0;
  return _create_surface(wi, hi, std::move(name), std::move(group), replace);
}

bool StoredVideo::_create_surface(int w, int h, std::string name, std::string group,
                                  bool replace) {
  group = group_or_current(group);
  const std::string size = std::to_string(w) + "x" + std::to_string(h);
  if (w > max_surface_side_ || h > max_surface_side_) {
    // The texture of a larger surface would silently fail to upload.
    error_ = "Can`t create surface " + size + ": larger than the largest texture side " +
             std::to_string(max_surface_side_);
    return false;
  }
  Video_Surface* surface = new_surface();
  bool created = false;
  try {
    created = surface->_create(w, h);
  } catch (const std::bad_alloc&) {
    // No exception leaves the plug-in.
    error_ = "Can`t create surface " + size + ": out of memory";
    delete surface;
    return false;
  }
  if (!created) {
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

bool StoredVideo::_remove_surface(std::string name, std::string group) {
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

bool StoredVideo::_set_group(std::string group) {
  if (!surfaces_.exists(group)) {
    error_ = "Group " + group + " not exist";
    return false;
  }
  current_group_ = group;
  return true;
}

// ---- sprites ---------------------------------------------------------------------------------

Video_Sprite* StoredVideo::_get_sprite(std::string name, std::string group) {
  return _find_sprite(name, group);
}

Video_Sprite* StoredVideo::_find_sprite(const std::string& name, const std::string& group) {
  return find_item(sprites_, name, group_or_current(group), "Group not exist: ",
                   "Sprite not exist: ");
}

bool StoredVideo::_create_sprite(std::string name, std::string group, std::string surface_name,
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

void StoredVideo::release_sprite(Video_Sprite* sprite) {
  if (sprite->_queued_) erase_all(sprite_queue_, sprite);
  delete sprite;  // unlinks itself from its surface
}

bool StoredVideo::_remove_sprite(std::string name, std::string group) {
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

bool StoredVideo::_draw_sprite(Video_Sprite* sprite) {
  if (sprite == nullptr) {
    error_ = "Illegal sprite handler! 0x00000000";
    return false;
  }
  sprite->_drawn_ = false;
  sprite->_queued_ = true;
  sprite_queue_.push_back(sprite);
  return true;
}

bool StoredVideo::_draw_sprite(std::string name, std::string group) {
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

bool StoredVideo::_set_cursor_sprite(std::string name, std::string group) {
  cursor_name_ = std::move(name);
  cursor_group_ = std::move(group);
  return true;
}

bool StoredVideo::_is_point_in_sprite(double x, double y, double px, double py, std::string name,
                                      std::string group) {
  Video_Sprite* sprite = _get_sprite(name, group);
  if (sprite == nullptr) return false;
  const float left = static_cast<float>(x - sprite->_get_base_x());
  const float bottom = static_cast<float>(y - sprite->_get_base_y());
  const double right = left + sprite->_get_width() / (settings_.width * 0.5);
  const double top = bottom + sprite->_get_height() / (settings_.height * 0.5);
  return left <= px && px <= right && bottom <= py && py <= top;
}

void StoredVideo::_draw_polygon(std::vector<VideoPoint> points) {
  polygons_.push_back(std::move(points));
}

// ---- particle sets ---------------------------------------------------------------------------

bool StoredVideo::_create_particles(std::string name, std::string group, std::string texture_name,
                                    std::string texture_group, int count, bool replace) {
  StoredParticles* set = new_particles(name, group);
  Storage<std::string, StoredParticles*>* items = group_for_creation(particles_, group);
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
  bool allocated = false;
  try {
    allocated = count <= kMaxParticles && set->allocate(count, settings_.point_sprite);
  } catch (const std::bad_alloc&) {
    allocated = false;  // no exception leaves the plug-in
  }
  if (!allocated) {
    error_ = "Bad particles count: " + std::to_string(count);
    delete set;
    return false;
  }
  set->set_texture(texture_name, texture_group);
  items->add(name, set);
  return true;
}

Video_Particles* StoredVideo::_get_particles(std::string name, std::string group) {
  return find_item(particles_, name, group_or_current(group), "Group not exist: ",
                   "Particles not exist: ");
}

bool StoredVideo::_draw_particles(std::string name, std::string group, bool under_sprites) {
  StoredParticles* set = find_item(particles_, name, group_or_current(group),
                                   "No such particles group: ", "No such particles: ");
  if (set == nullptr) return false;
  (under_sprites ? particles_under_ : particles_over_).push_back(set);
  return true;
}

bool StoredVideo::_remove_particles(std::string name, std::string group) {
  StoredParticles* set =
      find_item(particles_, name, group, "No such particles group: ", "No such particles: ");
  if (set == nullptr) return false;
  delete set;  // unfiles itself
  return true;
}

void StoredVideo::forget_particles(StoredParticles* set) {
  auto items = particles_.find(set->group());
  if (items != particles_.end()) {
    auto item = items->second->find(set->name());
    if (item != items->second->end() && item->second == set) items->second->remove(set->name());
  }
  erase_all(particles_under_, set);
  erase_all(particles_over_, set);
}

// ---- the frame -------------------------------------------------------------------------------

void StoredVideo::queue_cursor_sprite() {
  if (cursor_name_.empty() || cursor_group_.empty()) return;
  Video_Sprite* cursor = _get_sprite(cursor_name_, cursor_group_);
  if (cursor == nullptr) {
    tarnvale::report_data_problem(tarnvale::Severity::error, "", "", "Can't get sprite:" + error_);
    return;
  }
  double x = 0, y = 0;
  _get_mouse_position(&x, &y);
  cursor->_set_coord(x, y);
  _draw_sprite(cursor);
}

void StoredVideo::for_each_sprite_batch(
    const std::function<void(Video_Surface&, const std::vector<Video_Sprite*>&)>& draw) {
  for (Video_Sprite* queued : sprite_queue_) {
    if (!queued->_queued_ || queued->_drawn_) continue;
    // A linked sprite's surface is the one filed under its surface name: a replaced surface
    // unlinks its sprites as it goes.
    Video_Surface* surface = queued->_linked_surface_;
    if (surface == nullptr) {
      surface = find_item(surfaces_, queued->_get_surface_name(),
                          group_or_current(queued->_get_surface_group()), "Group not exist: ",
                          "Surface not exist: ");
      if (surface == nullptr) continue;
      // Its surface was replaced since the sprite was made: join the new one at its size.
      queued->_set_size(surface->_get_width(), surface->_get_height());
      surface->_link_sprite(queued);
    }
    // One batch per picture: the queued sprites of every surface showing the same pixels with
    // the same blending, each surface's in link order, this surface's first. Only sprites of the
    // same group join: another scene's sprites (a window drawn over the field) keep their place.
    batch_.clear();
    const ALPHASTATE blending = surface->_get_alpha_status();
    const std::string& group = queued->_get_group();
    Video_Surface* sharer = surface;
    do {
      if (sharer->_get_alpha_status() == blending)
        for (Video_Sprite* s : sharer->_get_linked_sprites()) {
          if (s == nullptr || !s->_queued_ || s->_drawn_ || s->_get_group() != group) continue;
          batch_.push_back(s);
          s->_drawn_ = true;
          s->_queued_ = false;
        }
      sharer = sharer->_next_sharer();
    } while (sharer != surface);
    draw(*surface, batch_);
  }
}

void StoredVideo::clear_queues() {
  sprite_queue_.clear();
  particles_under_.clear();
  particles_over_.clear();
  polygons_.clear();
}

void StoredVideo::release_everything() {
  release_all(particles_, [](StoredParticles* set) {
    set->detach();
    delete set;
  });
  // Surfaces first: each lets go of its sprites at once, so no sprite unlinks itself one by one.
  release_all(surfaces_, [](Video_Surface* surface) { delete surface; });
  release_all(sprites_, [](Video_Sprite* sprite) { delete sprite; });
  clear_queues();
}

// ---- input -----------------------------------------------------------------------------------

Event StoredVideo::_get_event() {
  if (events_.empty()) return Event();
  Event oldest = events_.front();
  events_.pop_front();
  return oldest;
}

Event StoredVideo::pointer_event(EVENT_TYPE type, double x, double y, int buttons) {
  double& last_x = type == MOUSE_MOVE ? last_move_x_ : last_button_x_;
  double& last_y = type == MOUSE_MOVE ? last_move_y_ : last_button_y_;
  Event event;
  event.type = type;
  event.buttons = buttons;
  event.x = static_cast<float>(x);
  event.y = static_cast<float>(y);
  event.dx = static_cast<float>(x - last_x);
  event.dy = static_cast<float>(y - last_y);
  last_x = x;
  last_y = y;
  return event;
}
