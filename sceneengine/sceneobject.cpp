#include "voskar/sceneobject.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "carrow/config.h"
#include "tarnvale/indexed_list.h"
#include "tarnvale/number_limits.h"
#include "voskar/object_from_data.h"
#include "voskar/scene.h"

namespace {

// Slot name suffixes of the built-in slots, in slot order.
const char* const kBuiltinSlotSuffixes[] = {"->_on_activate",  "->_on_deactivate",
                                            "->_on_key_press", "->_on_key_release",
                                            "->_on_character", "->_on_mouse_release",
                                            "->_on_scene_reinit"};

}  // namespace

// The floats and flags get the load defaults here so that an object drawn or copied before its
// load never reads indeterminate values.
SceneObject::SceneObject()
    : slot_activate(this, &SceneObject::slot__on_activate),
      slot_deactivate(this, &SceneObject::slot__on_deactivate),
      slot_key_press(this, &SceneObject::slot__on_key_press),
      slot_key_release(this, &SceneObject::slot__on_key_release),
      slot_character(this, &SceneObject::slot__on_character),
      slot_mouse_release(this, &SceneObject::slot__on_mouse_release),
      slot_scene_reinit(this, &SceneObject::slot__on_scene_reinit),
      absolute_x(0.0f),
      absolute_y(0.0f),
      link_v_offset(0.0f),
      link_h_offset(0.0f),
      show(true),
      require_alpha_collision(false),
      x(0.0f),
      y(0.0f),
      scene(nullptr) {}

SceneObject::SceneObject(const SceneObject& other) : SceneObject() { copy_fields(other); }

SceneObject& SceneObject::operator=(const SceneObject& other) {
  if (this != &other) copy_fields(other);
  return *this;
}

SceneObject::~SceneObject() = default;

std::vector<Slot<SceneObject>*> SceneObject::builtin_slots() {
  return {&slot_activate,  &slot_deactivate,    &slot_key_press,   &slot_key_release,
          &slot_character, &slot_mouse_release, &slot_scene_reinit};
}

// The slot objects themselves stay bound to this object; slot map entries that pointed at the
// other object's built-in slots are pointed at ours, so the copy never calls into the original.
void SceneObject::copy_fields(const SceneObject& other) {
  coord_type = other.coord_type;
  absolute_x = other.absolute_x;
  absolute_y = other.absolute_y;
  link_object = other.link_object;
  link_v_align = other.link_v_align;
  link_h_align = other.link_h_align;
  link_v_offset = other.link_v_offset;
  link_h_offset = other.link_h_offset;
  show = other.show;
  require_alpha_collision = other.require_alpha_collision;
  _video_name_ = other._video_name_;
  _scene_name_ = other._scene_name_;
  _object_name_ = other._object_name_;
  _storage_name_ = other._storage_name_;
  _storage_prefix_ = other._storage_prefix_;
  _error_ = other._error_;
  _signal_connections_ = other._signal_connections_;
  _slot_map_ = other._slot_map_;
  x = other.x;
  y = other.y;
  scene = other.scene;

  std::vector<Slot<SceneObject>*> ours = builtin_slots();
  std::vector<Slot<SceneObject>*> theirs = const_cast<SceneObject&>(other).builtin_slots();
  for (std::size_t i = 0; i < theirs.size(); ++i) repoint_slot(theirs[i], ours[i]);
}

void SceneObject::repoint_slot(const AbstractSlot* theirs, AbstractSlot* ours) {
  for (auto& entry : _slot_map_)
    if (entry.second == theirs) entry.second = ours;
}

bool SceneObject::slot__on_activate(SlotArgs*) { return true; }
bool SceneObject::slot__on_deactivate(SlotArgs*) { return true; }
bool SceneObject::slot__on_key_press(SlotArgs*) { return true; }
bool SceneObject::slot__on_key_release(SlotArgs*) { return true; }
bool SceneObject::slot__on_character(SlotArgs*) { return true; }
bool SceneObject::slot__on_mouse_release(SlotArgs*) { return true; }

bool SceneObject::slot__on_scene_reinit(SlotArgs*) {
  connect_signals(true);
  return false;
}

bool SceneObject::load(Scene* owner, std::string storage_name, std::string storage_prefix,
                       std::string scene_name, std::string object_name,
                       Brannow::FileManager* file_manager) {
  Config_Interface* config = begin_object_load(this, owner, storage_name, storage_prefix,
                                               scene_name, object_name, file_manager,
                                               CommonKeys::skipped);
  if (!config) return false;
  auto value = [&](const char* key, const char* default_value) {
    return config->get_value(storage_prefix + key, default_value);
  };
  coord_type = value("SceneObject->coord_type", "absolute");
  if (!read_limited(config, "SceneObject->absolute_x", &absolute_x) ||
      !read_limited(config, "SceneObject->absolute_y", &absolute_y))
    return false;
  link_object = value("SceneObject->link_object", "");
  link_v_align = value("SceneObject->link_v_align", "center");
  link_h_align = value("SceneObject->link_h_align", "center");
  read_limited(config, "SceneObject->link_v_offset", &link_v_offset);
  read_limited(config, "SceneObject->link_h_offset", &link_h_offset);
  show = tarnvale::read_flag(config, storage_prefix, "SceneObject->show");
  require_alpha_collision = tarnvale::read_flag(config, storage_prefix, "SceneObject->require_alpha_collision");

  std::vector<Slot<SceneObject>*> slots = builtin_slots();
  for (std::size_t i = 0; i < slots.size(); ++i)
    _slot_map_.emplace_back(_scene_name_ + "->" + _object_name_ + kBuiltinSlotSuffixes[i],
                            slots[i]);

  return real_load(owner, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool SceneObject::real_load(Scene*, std::string storage_name, std::string storage_prefix,
                            std::string, std::string, Brannow::FileManager*) {
  Config_Interface* config = config_get_interface(storage_name);
  if (!config) {
    _error_ = "Can't get config interface:" + config_error();
    return false;
  }
  load_signals(config, storage_prefix);
  return true;
}

std::string SceneObject::data_file() const {
  if (scene && scene->get_name() == _storage_name_) return scene->get_storage_file();
  return _storage_name_;
}

bool SceneObject::read_limited(Config_Interface* config, std::string_view key, double* value) {
  // A value that leaves the object out is the load's error: the scene reports it.
  return tarnvale::read_number(config, _storage_prefix_, key, data_file(), value, &_error_);
}

std::string SceneObject::slot_name(const std::string& slot) const {
  return _scene_name_ + "->" + _object_name_ + "->" + slot;
}

std::string SceneObject::reinit_signal_name() const { return _scene_name_ + "->reinit"; }

void SceneObject::load_signals(Config_Interface* config, std::string prefix) {
  register_slots();

  const std::string scene_prefix = _scene_name_ + "->";
  add_signal_connection({scene_prefix + "activate", slot_name("_on_activate"), false});
  add_signal_connection({scene_prefix + "deactivate", slot_name("_on_deactivate"), false});
  add_signal_connection({reinit_signal_name(), slot_name("_on_scene_reinit"), false});

  // Every key of an entry is read before the end is known: the checker counts them as asked.
  tarnvale::for_each_index(prefix + "signals->signal", "->", [&](const std::string& key, int) {
    const std::string connect_kind = config->get_value(key + "connect", "on_request");
    const std::string type = config->get_value(key + "type", "custom");
    std::string source = config->get_value(key + "signal_source", "");
    const std::string signal = config->get_value(key + "signal_name", "");
    const std::string slot = config->get_value(key + "slot_name", "");

    if (source.empty()) return false;
    if (signal.empty() || signal == "activate" || signal == "deactivate") return true;
    if (type == "builtin" && source == "Video") source = _video_name_;

    const bool on_load = connect_kind == "on_load";
    SignalConnection connection{source + "->" + signal, slot_name(slot), on_load};
    add_signal_connection(connection);
    if (on_load) connect(connection.signal_name, connection.slot_name);
    return true;
  });
}

// An object loaded in several steps reads its declarations more than once; each stays listed once.
void SceneObject::add_signal_connection(const SignalConnection& connection) {
  for (const SignalConnection& listed : _signal_connections_)
    if (listed.signal_name == connection.signal_name && listed.slot_name == connection.slot_name &&
        listed.on_load == connection.on_load)
      return;
  _signal_connections_.push_back(connection);
}

// The scene's activate and deactivate signals speak to the object that has the focus: its
// links to them are made when it is clicked and broken when it loses the focus, never by a
// reinit, or one click would reach every object of the scene.
bool SceneObject::is_focus_connection(const SignalConnection& connection) const {
  const std::string scene_prefix = _scene_name_ + "->";
  return connection.signal_name == scene_prefix + "activate" ||
         connection.signal_name == scene_prefix + "deactivate";
}

void SceneObject::register_slots() {
  for (auto& entry : _slot_map_) register_slot(entry.first, entry.second);
  connect(reinit_signal_name(), slot_name("_on_scene_reinit"));
}

void SceneObject::unregister_slots() {
  for (auto& entry : _slot_map_) unregister_slot(entry.first);
  disconnect(reinit_signal_name(), slot_name("_on_scene_reinit"));
}

void SceneObject::connect_signals(bool keep_on_load) {
  for (auto& connection : _signal_connections_)
    if (!(keep_on_load && (connection.on_load || is_focus_connection(connection))))
      connect(connection.signal_name, connection.slot_name);
}

void SceneObject::disconnect_signals(bool all) {
  disconnect(reinit_signal_name(), slot_name("_on_scene_reinit"));
  for (auto& connection : _signal_connections_)
    if (all || !connection.on_load) disconnect(connection.signal_name, connection.slot_name);
}

void SceneObject::_on_mouse_enter(float, float, MOUSE_BUTTON) {}
void SceneObject::_on_mouse_leave(float, float, MOUSE_BUTTON) {}

std::string SceneObject::_get_name() { return _video_name_; }
void SceneObject::set_video_name(std::string video_name) { _video_name_ = video_name; }
std::string SceneObject::_get_error() { return _error_; }
void SceneObject::_set_error(std::string error) { _error_ = error; }

bool SceneObject::calculate_position() {
  if (coord_type == "absolute") {
    Scene* parent = scene ? scene->get_parent() : nullptr;
    // A parent without a size yet cannot scale anything: place the object unscaled then.
    if (parent && parent->get_width() != 0 && parent->get_height() != 0) {
      x = scene->get_x() + absolute_x * scene->get_width() / parent->get_width();
      y = scene->get_y() + absolute_y * scene->get_height() / parent->get_height();
    } else {
      x = absolute_x;
      y = absolute_y;
    }
    return true;
  }
  if (coord_type != "link") {
    _error_ = "Unknown coord kind: " + coord_type;
    return false;
  }

  SceneObject* target = scene ? scene->get_object(link_object) : nullptr;
  if (!target) {
    _error_ = "Unable to fine object:\"" + link_object + "\"";
    return false;
  }
  VideoPoint point;
  VideoRect rect;
  target->get_base_point(&point);
  target->_get_active_area_rect(&rect);
  const double w = rect.x2 - rect.x1;
  const double h = rect.y2 - rect.y1;

  // "base_point" puts this object on the linked object's base point (its rectangle's corner
  // plus the base point offset), so it stays put from frame to frame.
  if (link_v_align == "top")
    y = static_cast<float>(rect.y2);
  else if (link_v_align == "bottom")
    y = static_cast<float>(rect.y1);
  else if (link_v_align == "center")
    y = static_cast<float>(rect.y1 + (rect.y2 - rect.y1) * 0.5);
  else if (link_v_align == "base_point")
    y = static_cast<float>(rect.y1 + point.y);
  else {
    _error_ = "Unknown v_align kind: \"" + link_v_align + "\"";
    return false;
  }
  y = static_cast<float>(y + link_v_offset * h);

  if (link_h_align == "left")
    x = static_cast<float>(rect.x1);
  else if (link_h_align == "right")
    x = static_cast<float>(rect.x2);
  else if (link_h_align == "center")
    x = static_cast<float>(rect.x1 + (rect.x2 - rect.x1) * 0.5);
  else if (link_h_align == "base_point")
    x = static_cast<float>(rect.x1 + point.x);
  else {
    _error_ = "Unknown h_align kind: \"" + link_h_align + "\"";
    return false;
  }
  x = static_cast<float>(x + link_h_offset * w);
  return true;
}

void SceneObject::get_base_point(VideoPoint* point) {
  point->x = 0;
  point->y = 0;
  Video_Interface* video = video_get_interface(_video_name_);
  Video_Sprite* sprite = video ? video->_get_sprite(_object_name_, _scene_name_) : nullptr;
  if (!sprite) return;
  point->x = sprite->_get_base_x();
  point->y = sprite->_get_base_y();
}

void SceneObject::_get_active_area_rect(VideoRect* rect) {
  rect->x1 = rect->y1 = rect->x2 = rect->y2 = 0;
  Video_Interface* video = video_get_interface(_video_name_);
  Video_Sprite* sprite = video ? video->_get_sprite(_object_name_, _scene_name_) : nullptr;
  if (sprite) sprite->_get_rectangle(rect);
}

bool SceneObject::_is_point_in_object(float px, float py) {
  Video_Interface* video = video_get_interface(_video_name_);
  if (!video) return false;
  return is_point_in_sprite(video, video->_get_sprite(_object_name_, _scene_name_), px, py);
}

namespace {

// Index of the pixel under fraction f of a length of n pixels, kept inside the picture.
int pixel_index(double f, int n) {
  int index = static_cast<int>(n * f);
  if (index >= n) index = n - 1;
  if (index < 0) index = 0;
  return index;
}

}  // namespace

// The alpha test reads the pixel's bytes in memory order (red, green, blue, alpha) as one
// big-endian word, which is how the surface masks describe it, so it looks at the alpha byte on
// every machine; a point hits where the picture is not fully transparent.
bool SceneObject::is_point_in_sprite(Video_Interface* video, Video_Sprite* sprite, float px,
                                     float py) {
  if (!video || !sprite) return false;
  VideoRect rect;
  rect.x1 = rect.y1 = rect.x2 = rect.y2 = 0;
  sprite->_get_rectangle(&rect);
  if (!(rect.x1 <= px && px <= rect.x2 && rect.y1 <= py && py <= rect.y2)) return false;
  if (!require_alpha_collision) return true;

  Video_Surface* surface =
      video->_get_surface(sprite->_get_surface_name(), sprite->_get_surface_group());
  if (!surface) return false;
  const auto* data = static_cast<const unsigned char*>(surface->_get_surface_data());
  const int width = surface->_get_width();
  const int height = surface->_get_height();
  const int row_length = surface->_get_pitch() / 4;
  if (!data || width <= 0 || height <= 0 || row_length < width) return false;

  const double fx = rect.x2 > rect.x1 ? (px - rect.x1) / (rect.x2 - rect.x1) : 0.0;
  const double fy = rect.y2 > rect.y1 ? (py - rect.y1) / (rect.y2 - rect.y1) : 0.0;
  const unsigned char* pixel =
      data + 4 * (static_cast<std::size_t>(pixel_index(fy, height)) * row_length +
                  pixel_index(fx, width));
  const std::uint32_t word = (std::uint32_t{pixel[0]} << 24) | (std::uint32_t{pixel[1]} << 16) |
                             (std::uint32_t{pixel[2]} << 8) | std::uint32_t{pixel[3]};
  return (word & surface->_get_Amask()) != 0;
}
