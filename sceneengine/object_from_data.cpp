#include "voskar/object_from_data.h"

#include "voskar/fabric.h"
#include "voskar/scene.h"

Config_Interface* begin_object_load(SceneObject* object, Scene* scene,
                                    const std::string& storage_name,
                                    const std::string& storage_prefix,
                                    const std::string& scene_name, const std::string& object_name,
                                    Brannow::FileManager* file_manager, CommonKeys common) {
  if (common == CommonKeys::read) {
    if (!object->SceneObject::load(scene, storage_name, storage_prefix, scene_name, object_name,
                                   file_manager))
      return nullptr;
    return config_get_interface(storage_name);
  }
  object->_set_scene(scene);
  object->_set__scene_name_(scene_name);
  object->_set__object_name_(object_name);
  object->_set__storage_name_(storage_name);
  object->_set__storage_prefix_(storage_prefix);
  Config_Interface* config = config_get_interface(storage_name);
  if (!config) object->_set_error("Can't get config interface:" + config_error());
  return config;
}

Config_Interface* after_base_load(bool loaded, SceneObject* object) {
  return loaded ? config_get_interface(object->_get__storage_name_()) : nullptr;
}

MadeObject make_object(const std::string& type, const ObjectOrigin& origin,
                       const ObjectCompletion& complete) {
  MadeObject made;
  SceneObject* object = SceneObjectFabric()[type];
  if (!object) {
    made.unknown_type = true;
    made.error = "No object of type \"" + type + "\"";
    return made;
  }
  object->set_video_name(origin.video_name);
  bool loaded;
  if (complete) {
    made.common_keys_read = begin_object_load(object, origin.scene, origin.storage_name,
                                              origin.storage_prefix, origin.scene_name,
                                              origin.object_name, origin.file_manager) != nullptr;
    loaded = made.common_keys_read && complete(object);
  } else {
    loaded = object->load(origin.scene, origin.storage_name, origin.storage_prefix,
                          origin.scene_name, origin.object_name, origin.file_manager);
  }
  if (loaded) {
    made.object = object;
    return made;
  }
  made.error = object->_get_error();
  dispose_object(object);
  return made;
}

void dispose_scene(Scene* scene) {
  if (!scene) return;
  scene->slot__on_deactivate(nullptr);
  // Objects that went with their owner (a button's parts) are gone when their name comes up.
  for (const std::string& name : scene->get_object_names()) dispose_object(scene->get_object(name));
  delete scene;
}

void dispose_object(SceneObject* object) {
  if (!object) return;
  Scene* scene = object->_get_scene();
  const std::string name = object->_get__object_name_();
  if (scene && scene->get_object(name) == object)
    scene->remove_object(name);
  else {
    object->disconnect_signals(true);
    object->unregister_slots();
  }
  delete object;
}
