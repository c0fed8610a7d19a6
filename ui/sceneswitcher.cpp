#include "panolet/sceneswitcher.h"

#include <cstdlib>

#include "panolet/ui.h"
#include "tarnvale/number_limits.h"
#include "voskar/object_from_data.h"
#include "voskar/scenemanager.h"

SceneSwitcher::~SceneSwitcher() = default;

bool SceneSwitcher::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                         std::string scene_name, std::string object_name,
                         Brannow::FileManager* file_manager) {
  Config_Interface* config = after_base_load(
      Button::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager), this);
  if (!config) return false;
  next_scene = config->get_value(storage_prefix + "SceneSwitcher->next_scene", "");
  restart = tarnvale::read_flag(config, storage_prefix, "SceneSwitcher->restart");
  read_limited(config, "SceneSwitcher->key", &key);
  ask_scene = config->get_value(storage_prefix + "SceneSwitcher->ask_scene", "");
  ask_setting = config->get_value(storage_prefix + "SceneSwitcher->ask_setting", "");
  connect_key();
  return true;
}

void SceneSwitcher::connect_key() {
  if (key > 0) connect(_video_name_ + "->keyboard_release", slot_name("_on_key_press"));
}

bool SceneSwitcher::slot__on_scene_reinit(SlotArgs* args) {
  connect_key();
  return Button::slot__on_scene_reinit(args);
}

bool SceneSwitcher::slot__on_key_press(SlotArgs* args) {
  if (key <= 0 || !args || args->int_params.empty() || args->int_params[0] != key) return false;
  switch_scene();
  return true;
}

void SceneSwitcher::switch_scene() {
  if (!ask_scene.empty() && !ask_setting.empty() && ui_get_setting(ask_setting, "0") == "1") {
    set_next_scene(ask_scene);
    return;
  }
  if (restart)
    set_next_scene_fresh(next_scene);
  else
    set_next_scene(next_scene);
}

bool SceneSwitcher::slot__on_mouse_release(SlotArgs* args) {
  if (!args || args->int_params.empty() || args->float_params.size() < 4) return true;
  // Not a click here: the next widget may own it.
  if (!take_click(args)) return false;
  switch_scene();
  return true;
}

bool SceneSwitcher::_on_mouse_release_handler(float, float, float, float, int64_t) {
  switch_scene();
  return true;
}
