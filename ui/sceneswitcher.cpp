#include "panolet/sceneswitcher.h"

#include "tarnvale/number_limits.h"
#include "voskar/scenemanager.h"

SceneSwitcher::~SceneSwitcher() = default;

bool SceneSwitcher::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                         std::string scene_name, std::string object_name,
                         Brannow::FileManager* file_manager) {
  if (!Button::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager))
    return false;
  // The base load found the configuration (or failed for the want of it).
  Config_Interface* config = config_get_interface(storage_name);
  next_scene = config->get_value(storage_prefix + "SceneSwitcher->next_scene", "");
  restart = tarnvale::read_flag(config, storage_prefix, "SceneSwitcher->restart");
  return true;
}

void SceneSwitcher::switch_scene() {
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
