#pragma once
// A scene object for tests that records what happens to it.

#include <functional>
#include <string>
#include <vector>

#include "voskar/scene.h"
#include "voskar/sceneobject.h"

// A scene object with a solid w x h pixel sprite that logs its slots, draws and pointer
// crossings. Keys under "Probe->": width, height (pixels, default 100), x_base, y_base (base
// point as fractions of the sprite, default 0: the lower left corner), transparent_corners ("true": the four 25% corner squares are fully transparent), fail
// ("true": load fails after the base load), remove_on_draw (object name or "self": removed from
// the scene, and deleted, while drawing; with nested_draw "true" the probe then draws the scene
// once more from inside its own draw), next_scene (set_next_scene on its "_on_custom" slot;
// with fresh "true" set_next_scene_fresh).
class Probe : public SceneObject {
public:
  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  bool slot__on_activate(SlotArgs* args) override;
  bool slot__on_key_press(SlotArgs* args) override;
  bool slot__on_mouse_release(SlotArgs* args) override;
  bool slot__on_scene_reinit(SlotArgs* args) override;
  void _on_mouse_enter(float x, float y, MOUSE_BUTTON button) override;
  void _on_mouse_leave(float x, float y, MOUSE_BUTTON button) override;
  bool slot__on_custom(SlotArgs* args);

  using SceneObject::is_point_in_sprite;

  // Objects removed by probes while drawing, deleted once the test is done with them.
  static void delete_removed();

  // Where the probes' lines go (nowhere until set).
  static std::function<void(const std::string&)> sink;

private:
  static std::vector<SceneObject*>& removed();
  void note(const std::string& what);
  Slot<Probe> slot_custom{this, &Probe::slot__on_custom};
  std::string remove_on_draw;
  bool nested_draw = false;
  std::string next_scene;
  bool fresh = false;
};
