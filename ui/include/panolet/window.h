#pragma once
// An image that holds a whole scene of its own, read from its own scene file and drawn where
// the window stands. Presses on the window are hit-tested inside it, and the pointer's moves
// reach the inner scene, so the objects inside react (and hover) as in any scene.

#include <string>

#include "panolet/baseuiobject.h"
#include "voskar/image.h"
#include "voskar/scene.h"

class Window : public Image, public BaseUIObject {
public:
  Window();
  Window(const Window& other) = delete;
  Window& operator=(const Window& other) = delete;
  // Deletes the inner scene and every object in it.
  ~Window() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  bool slot__on_activate(SlotArgs* args) override;
  bool slot__on_deactivate(SlotArgs* args) override;
  bool slot__on_character(SlotArgs* args) override;
  bool slot__on_key_press(SlotArgs* args) override;
  bool slot__on_key_release(SlotArgs* args) override;
  bool slot__on_mouse_release(SlotArgs* args) override;
  bool slot__on_scene_reinit(SlotArgs* args) override;
  void unregister_slots() override;
  // A press that lands on the window gives it the focus: the press is handed inside then.
  // (The scene's activate signal reaches only the first object wired to it, which need not be
  // the window.)
  void connect_signals(bool keep_on_load) override;
  bool _is_point_in_object(float x, float y) override;

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  int _get_width() { return width; }
  void _set_width(int value) { width = value; }
  int _get_height() { return height; }
  void _set_height(int value) { height = value; }
  std::string _get_internal_scene_file() { return internal_scene_file; }
  void _set_internal_scene_file(std::string value) { internal_scene_file = value; }
  Scene* _get__internal_scene_() { return internal_scene; }
  void _set__internal_scene_(Scene* value) { internal_scene = value; }

protected:
  // Hands the pointer's position to the inner scene when it moved since the last draw.
  void forward_pointer();
  void forward_press(SlotArgs* args);
  void delete_internal_scene();
  bool scene_file_readable(Brannow::FileManager* file_manager);
  // false (error text set) when the inner scene file is already open further out.
  bool check_nesting(Scene* scene);

  int width, height;
  std::string internal_scene_file;
  Scene* internal_scene;
  float last_pointer_x, last_pointer_y;
  // The last point found on the window, which is where a focusing press landed.
  float hit_x, hit_y;
  bool press_forwarded;
};
