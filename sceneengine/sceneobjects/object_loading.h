#pragma once
// The first two steps of every load in this folder: the object's configuration must exist, then
// the base reads the common properties and signals.

#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "voskar/sceneobject.h"

// The configuration to read the object's own keys from; null, with the object's error text set,
// when the configuration is missing or the base load fails.
inline Config_Interface* load_base(SceneObject* object, Scene* scene,
                                   const std::string& storage_name,
                                   const std::string& storage_prefix,
                                   const std::string& scene_name, const std::string& object_name,
                                   Brannow::FileManager* file_manager) {
  Config_Interface* config = config_get_interface(storage_name);
  if (config == nullptr) {
    object->_set_error("Can't get config interface:" + config_error());
    return nullptr;
  }
  if (!object->SceneObject::load(scene, storage_name, storage_prefix, scene_name, object_name,
                                 file_manager))
    return nullptr;
  return config;
}
