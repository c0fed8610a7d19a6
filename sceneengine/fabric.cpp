#include "voskar/fabric.h"

Storage<std::string, SceneObjectFabric*> SceneObjectFabric::_fabrics_;
Storage<std::string, SceneFabric*> SceneFabric::_fabrics_;

namespace {

// The registered fabric's product, or null for a type nobody registered.
template <typename Fabric>
auto make_from(Storage<std::string, Fabric*>& fabrics, const std::string& type)
    -> decltype((*fabrics.get(type))()) {
  auto it = fabrics.find(type);
  if (it == fabrics.end() || !it->second) return nullptr;
  return (*it->second)();
}

}  // namespace

void SceneObjectFabric::add_fabric(std::string type, SceneObjectFabric* fabric) {
  _fabrics_.add(type, fabric);
}

SceneObject* SceneObjectFabric::operator[](std::string type) { return make_from(_fabrics_, type); }

void SceneFabric::add_fabric(std::string type, SceneFabric* fabric) { _fabrics_.add(type, fabric); }

Scene* SceneFabric::operator[](std::string type) { return make_from(_fabrics_, type); }
