#pragma once
// Lets the keyboard work a menu: the next and previous keys walk the buttons, check boxes and
// text fields of its scene (and of the windows in it) in reading order, top to bottom and left
// to right; the focused one is drawn as under the pointer, and a press key clicks it the way
// the mouse does. Shift reverses the next keys. While a text field has the focus, the keys it
// edits with (left, right) stay with it. It draws nothing and is off unless a scene places it.

#include <cstdint>
#include <string>
#include <vector>

#include "voskar/sceneobject.h"

class KeyboardMenu : public SceneObject {
public:
  KeyboardMenu();
  // Its slots call this object; a copy would have to repoint them.
  KeyboardMenu(const KeyboardMenu& other) = delete;
  KeyboardMenu& operator=(const KeyboardMenu& other) = delete;
  ~KeyboardMenu() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  bool _is_point_in_object(float, float) override { return false; }
  bool slot__on_scene_reinit(SlotArgs* args) override;
  bool slot__on_menu_key_press(SlotArgs* args);
  bool slot__on_menu_key_release(SlotArgs* args);
  bool slot__on_pointer_move(SlotArgs* args);

  // The widget with the keyboard focus (null: none yet).
  SceneObject* _get_focused() { return focused; }
  // Widgets the keys walk, in their order.
  std::vector<SceneObject*> focus_order();

private:
  void move_focus(int step);
  void set_focus(SceneObject* object);
  void click(SceneObject* object);
  bool is_focused_text_field();

  std::vector<int64_t> next_keys, previous_keys, press_keys;
  std::string first;
  SceneObject* focused = nullptr;
  bool shift_held = false;
  Slot<KeyboardMenu> slot_key_press, slot_key_release, slot_pointer_move;
};
