#pragma once
// A button that, when a press on it ends, asks the scene manager for another scene instead of
// rising "released". With "SceneSwitcher->restart" true the scene is made anew (discarded and
// loaded again) before it runs: a new game instead of the old one resumed.
// With "SceneSwitcher->key" (an engine key code, 0: none) releasing that key while its scene
// runs switches too. With "SceneSwitcher->ask_scene" the switch first goes to that scene, to ask,
// whenever the UI setting "SceneSwitcher->ask_setting" is "1" (a running game it would discard).

#include <cstdint>
#include <string>

#include "panolet/button.h"

class SceneSwitcher : public Button {
public:
  SceneSwitcher() = default;
  SceneSwitcher(const SceneSwitcher& other) = default;
  SceneSwitcher& operator=(const SceneSwitcher& other) = default;
  ~SceneSwitcher() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override {}
  bool slot__on_mouse_release(SlotArgs* args) override;
  bool slot__on_key_press(SlotArgs* args) override;
  // The key's link is made again each time the scene comes back (leaving it dropped the link).
  bool slot__on_scene_reinit(SlotArgs* args) override;

  bool _get_restart() { return restart; }
  void _set_restart(bool value) { restart = value; }
  std::string _get_next_scene() { return next_scene; }
  void _set_next_scene(std::string value) { next_scene = value; }
  bool _on_mouse_release_handler(float x, float y, float dx, float dy, int64_t button);

protected:
  void switch_scene();
  void connect_key();

  std::string next_scene;
  bool restart = false;
  int64_t key = 0;
  std::string ask_scene, ask_setting;
};
