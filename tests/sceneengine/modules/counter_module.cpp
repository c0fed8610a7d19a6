// A game module as a game maker writes one: an object type and a scene type of its own.
#include <iostream>

#include "carrow/config.h"
#include "voskar/game_module.h"
#include "voskar/scene.h"
#include "voskar/sceneobject.h"

namespace {

// Says what it read, so that a test sees the module's type made and loaded from data.
class Counter : public SceneObject {
public:
  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override {
    if (!real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager))
      return false;
    Config_Interface* config = config_get_interface(storage_name);
    std::cerr << "Counter " << object_name << " starts at "
              << config->get_value(storage_prefix + "Counter->start", "0") << std::endl;
    return true;
  }
  void draw() override {}
};

class CounterScene : public Scene {};

ObjectFabric<Counter> counter_fabric;
SceneFabrics<CounterScene> counter_scene_fabric;

}  // namespace

extern "C" bool _register_game_module(GameModuleRegistrar* registrar) {
  // Built from temporary strings on purpose: the engine keeps copies.
  const std::string counted = "counted";
  registrar->add_object_type({"Counter", false, {"SceneObject"}, "Counts.",
                              {{"Counter->start", "0", ValueKind::whole, "where it starts", 0, 100}},
                              {}, {"count"}, {counted.c_str()}},
                             &counter_fabric);
  registrar->add_scene_type({"CounterScene", false, {}, "A scene that counts.", {}, {}, {}, {}},
                            &counter_scene_fabric);
  return true;
}
