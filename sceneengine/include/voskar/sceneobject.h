#pragma once
// The base of everything placed in a scene: common placement properties, the on-screen position,
// hit testing against the object's sprite, the seven built-in slots and the object's declared
// signal connections.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "brannow/brannow.h"
#include "olvane/video.h"
#include "twinkel/signals.h"

class Scene;
class Config_Interface;

class SceneObject {
public:
  // One connection declared by the object's configuration. on_load connections are made once
  // at load and kept across focus changes; the others are made on request.
  struct SignalConnection {
    std::string signal_name;
    std::string slot_name;
    bool on_load = false;
  };
  using SignalConnections = std::vector<SignalConnection>;
  // Slots this object offers, under their full names; the slot objects belong to the object.
  using SlotMap = std::vector<std::pair<std::string, AbstractSlot*>>;

  SceneObject();
  // Copies every field; the copy's built-in slots call the copy, not the original.
  SceneObject(const SceneObject& other);
  SceneObject& operator=(const SceneObject& other);

  virtual bool slot__on_activate(SlotArgs* args);
  virtual bool slot__on_deactivate(SlotArgs* args);
  virtual bool slot__on_key_press(SlotArgs* args);
  virtual bool slot__on_key_release(SlotArgs* args);
  virtual bool slot__on_character(SlotArgs* args);
  virtual bool slot__on_mouse_release(SlotArgs* args);
  virtual bool slot__on_scene_reinit(SlotArgs* args);

  virtual bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
                    std::string scene_name, std::string object_name,
                    Brannow::FileManager* file_manager);
  virtual void draw() = 0;
  virtual void _get_active_area_rect(VideoRect* rect);
  virtual std::string _get_name();
  virtual void set_video_name(std::string video_name);
  virtual std::string _get_error();
  virtual void _set_error(std::string error);
  virtual void register_slots();
  virtual void unregister_slots();
  virtual void connect_signals(bool keep_on_load);
  virtual void disconnect_signals(bool all);
  virtual ~SceneObject();
  virtual void _on_mouse_enter(float x, float y, MOUSE_BUTTON button);
  virtual void _on_mouse_leave(float x, float y, MOUSE_BUTTON button);
  virtual bool _is_point_in_object(float x, float y);
  virtual void get_base_point(VideoPoint* point);
  virtual bool calculate_position();
  // Time that stood still for the object's scene (a pause): its stopwatches move on by that
  // many seconds, so nothing it times runs out meanwhile. Objects without stopwatches ignore it.
  virtual void delay_clocks(double seconds) { (void)seconds; }

protected:
  virtual void load_signals(Config_Interface* config, std::string prefix);

public:
  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  std::string _get_coord_type() { return coord_type; }
  void _set_coord_type(std::string value) { coord_type = value; }
  float _get_absolute_x() { return absolute_x; }
  void _set_absolute_x(float value) { absolute_x = value; }
  float _get_absolute_y() { return absolute_y; }
  void _set_absolute_y(float value) { absolute_y = value; }
  std::string _get_link_object() { return link_object; }
  void _set_link_object(std::string value) { link_object = value; }
  std::string _get_link_v_align() { return link_v_align; }
  void _set_link_v_align(std::string value) { link_v_align = value; }
  std::string _get_link_h_align() { return link_h_align; }
  void _set_link_h_align(std::string value) { link_h_align = value; }
  float _get_link_v_offset() { return link_v_offset; }
  void _set_link_v_offset(float value) { link_v_offset = value; }
  float _get_link_h_offset() { return link_h_offset; }
  void _set_link_h_offset(float value) { link_h_offset = value; }
  bool _get_show() { return show; }
  void _set_show(bool value) { show = value; }
  bool _get_require_alpha_collision() { return require_alpha_collision; }
  void _set_require_alpha_collision(bool value) { require_alpha_collision = value; }
  float _get_x() { return x; }
  void _set_x(float value) { x = value; }
  float _get_y() { return y; }
  void _set_y(float value) { y = value; }

  std::string _get__video_name_() { return _video_name_; }
  void _set__video_name_(std::string value) { _video_name_ = value; }
  std::string _get__scene_name_() { return _scene_name_; }
  void _set__scene_name_(std::string value) { _scene_name_ = value; }
  std::string _get__object_name_() { return _object_name_; }
  void _set__object_name_(std::string value) { _object_name_ = value; }
  std::string _get__storage_name_() { return _storage_name_; }
  void _set__storage_name_(std::string value) { _storage_name_ = value; }
  std::string _get__storage_prefix_() { return _storage_prefix_; }
  void _set__storage_prefix_(std::string value) { _storage_prefix_ = value; }
  std::string _get__error_() { return _error_; }
  void _set__error_(std::string value) { _error_ = value; }
  SignalConnections _get__signal_connections_() { return _signal_connections_; }
  void _set__signal_connections_(SignalConnections value) { _signal_connections_ = value; }
  SlotMap _get__slot_map_() { return _slot_map_; }
  void _set__slot_map_(SlotMap value) { _slot_map_ = value; }

  // The owning scene (set by load; not owned).
  Scene* _get_scene() { return scene; }
  void _set_scene(Scene* owner) { scene = owner; }

protected:
  Slot<SceneObject> slot_activate;
  Slot<SceneObject> slot_deactivate;
  Slot<SceneObject> slot_key_press;
  Slot<SceneObject> slot_key_release;
  Slot<SceneObject> slot_character;
  Slot<SceneObject> slot_mouse_release;
  Slot<SceneObject> slot_scene_reinit;

  std::string coord_type;
  float absolute_x, absolute_y;
  std::string link_object;
  std::string link_v_align;
  std::string link_h_align;
  float link_v_offset, link_h_offset;
  bool show;
  bool require_alpha_collision;
  std::string _video_name_;
  std::string _scene_name_;
  std::string _object_name_;
  std::string _storage_name_;
  std::string _storage_prefix_;
  std::string _error_;
  SignalConnections _signal_connections_;
  SlotMap _slot_map_;
  float x, y;
  Scene* scene;

  // Name of one of this object's slots: scene name + "->" + object name + "->" + slot.
  std::string slot_name(const std::string& slot) const;
  // The reinit pair: the scene's reinit signal and this object's "_on_scene_reinit" slot.
  std::string reinit_signal_name() const;
  // Appends a connection unless the same one is listed already.
  void add_signal_connection(const SignalConnection& connection);
  // A link to the scene's activate or deactivate signal: made only while the object has the focus.
  bool is_focus_connection(const SignalConnection& connection) const;
  // Hit test shared by the objects that keep their sprite and by those that look it up.
  bool is_point_in_sprite(Video_Interface* video, Video_Sprite* sprite, float px, float py);
  // After a copy: slot map entries naming the other object's slot name ours instead.
  void repoint_slot(const AbstractSlot* theirs, AbstractSlot* ours);
  // The file the object's keys come from: the scene's file, or the storage itself (a level).
  std::string data_file() const;
  // Reads a number of tarnvale/number_limits.h under the object's prefix. A bad value is
  // reported naming the file and the key and replaced by its default; false (with the error
  // text set) when the object must be left out instead.
  bool read_limited(Config_Interface* config, std::string_view key, double* value);
  template <typename T>
  bool read_limited(Config_Interface* config, std::string_view key, T* value) {
    double read = 0;
    const bool ok = read_limited(config, key, &read);
    *value = static_cast<T>(read);
    return ok;
  }

private:
  // The seven built-in slot objects, in slot order.
  std::vector<Slot<SceneObject>*> builtin_slots();
  void copy_fields(const SceneObject& other);
};
