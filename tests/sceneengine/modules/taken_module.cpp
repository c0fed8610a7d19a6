// A module that declares a free type name and one the engine has: neither may be registered.
#include "voskar/game_module.h"
#include "voskar/sceneobject.h"

namespace {
class Nothing : public SceneObject {
public:
  void draw() override {}
};
ObjectFabric<Nothing> nothing_fabric;
}  // namespace

extern "C" bool _register_game_module(GameModuleRegistrar* registrar) {
  registrar->add_object_type({"FreeName", false, {}, "", {}, {}, {}, {}}, &nothing_fabric);
  registrar->add_object_type({"Image", false, {}, "", {}, {}, {}, {}}, &nothing_fabric);
  return true;
}
