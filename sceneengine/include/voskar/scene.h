#pragma once
// One screen of the program: the objects of one scene file, drawn every frame in z order, with
// the pointer input of the video device routed to them.

#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "twinkel/signals.h"
#include "voskar/sceneobject.h"
#include "tarnvale/storage.h"

class Scene {
public:
  Scene();
  Scene(const Scene& other);
  Scene& operator=(const Scene& other);

  virtual ~Scene();
  virtual bool load_scene();
  // Adds an object (not null) the scene then owns. false for a name already taken: the scene
  // keeps its first object and the caller still owns the one offered.
  virtual bool add_object(const std::string& name, SceneObject* object, int z_level);
  // The object, or null when the name is unknown.
  virtual SceneObject* get_object(const std::string& name);
  // Disconnects and unregisters the object and forgets it; the caller owns it afterwards.
  // false when the name is unknown.
  virtual bool remove_object(const std::string& name);
  virtual bool draw();
  virtual void reinit();
  virtual bool slot__on_mouse_press(SlotArgs* args);
  virtual bool slot__on_mouse_move(SlotArgs* args);
  virtual bool slot__on_activate(SlotArgs* args);
  virtual bool slot__on_deactivate(SlotArgs* args);

protected:
  virtual void init_signals();
  virtual void init_slots();
  virtual void deinit_slots();
  // One shown object's turn in draw(): a scene type may act on the object before it draws, or
  // take it out instead.
  virtual void draw_object(SceneObject* object);

public:
  std::string get_name() { return name; }
  void set_name(std::string value) { name = value; }
  std::string get_video_name() { return video_name; }
  void set_video_name(std::string value) { video_name = value; }
  std::string get_storage_file() { return storage_file; }
  void set_storage_file(std::string value) { storage_file = value; }
  void set_file_manager(Brannow::FileManager* value) { file_manager = value; }
  Brannow::FileManager* get_file_manager() { return file_manager; }
  int get_width() { return width; }
  void set_width(int value) { width = value; }
  int get_height() { return height; }
  void set_height(int value) { height = value; }
  float get_base_x() { return base_x; }
  void set_base_x(float value) { base_x = value; }
  float get_base_y() { return base_y; }
  void set_base_y(float value) { base_y = value; }
  bool get_mouse_cursor_state() { return mouse_cursor_state; }
  void set_mouse_cursor_state(bool value) { mouse_cursor_state = value; }
  float get_x() { return x; }
  void set_x(float value) { x = value; }
  float get_y() { return y; }
  void set_y(float value) { y = value; }
  Scene* get_parent() { return parent; }
  void set_parent(Scene* value) { parent = value; }
  bool scene_loaded() { return loaded; }

  // The object clicked last and the object under the pointer (not owned; may be null).
  SceneObject* get_focus() { return focus; }
  SceneObject* get_hover() { return hover; }
  // Where the pointer was last seen over this scene (the moves it was handed).
  float get_pointer_x() { return pointer_x; }
  float get_pointer_y() { return pointer_y; }
  // Names of the objects in the order they were added.
  std::vector<std::string> get_object_names() { return object_names; }

protected:
  Slot<Scene> slot_mouse_press;
  Slot<Scene> slot_mouse_move;
  Slot<Scene> slot_activate;
  Slot<Scene> slot_deactivate;

  std::string name;
  std::string video_name;
  std::string storage_file;
  Storage<std::string, SceneObject*> objects;
  Storage<std::string, int> z_levels;
  std::vector<std::string> object_names;
  // Drawing order: lowest z level first, equal levels in the order of object_names. Rebuilt by
  // draw after objects were added or removed (add_object, remove_object, load_scene); each entry
  // keeps the object it named at that time.
  struct ZEntry {
    int z_level;
    std::string name;
    SceneObject* object;
  };
  std::vector<ZEntry> z_order;
  bool z_order_stale;
  int draw_depth;
  // Counts removals, so a walk over z_order knows when its object pointers may have gone:
  // they hold while no removal happened since the order was last rebuilt.
  unsigned long removals;
  unsigned long removals_at_rebuild;
  bool loaded;
  SceneObject* focus;
  SceneObject* hover;
  // Where the pointer was last seen: the place of the leave a deactivation sends.
  float pointer_x, pointer_y;
  // Set by reinit, cleared by deactivation: objects added in between are reinitialised as
  // they join.
  bool reinitialised;
  Signal new_cycle_signal;
  Signal activate_signal;
  Signal reinit_signal;
  bool mouse_cursor_state;
  Brannow::FileManager* file_manager;
  int width, height;
  float base_x, base_y;
  float x, y;
  Scene* parent;

  // Forgets a name in every index of the scene (objects, z levels, drawing order, focus, hover).
  void forget_object(const std::string& object_name);
  // Records a new object under its name and level.
  void remember_object(const std::string& object_name, SceneObject* object, int z_level);
  void rebuild_z_order();
  // The shown object on top at the point (scene units), or null.
  SceneObject* object_at(float px, float py);

private:
  void bind_slots();
};
