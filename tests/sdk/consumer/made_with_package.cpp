// An object type of the game maker's own, made through the engine's fabric and driven by a signal.
#include <iostream>

#include <twinkel/signals.h>
#include <voskar/fabric.h>
#include <voskar/sceneobject.h>

namespace {

class Counter : public SceneObject {
public:
  Counter() : slot_count(this, &Counter::slot__on_count) {}
  void draw() override {}
  bool slot__on_count(SlotArgs*) {
    ++count;
    return true;
  }
  int count = 0;
  Slot<Counter> slot_count;
};

ObjectFabric<Counter> counter_fabric;

}  // namespace

int main() {
  SceneObjectFabric::add_fabric("Counter", &counter_fabric);
  SceneObject* made = SceneObjectFabric()["Counter"];
  Counter* counter = dynamic_cast<Counter*>(made);
  if (!counter) return 1;
  register_slot("field->counter->count", &counter->slot_count);
  connect("field->tick", "field->counter->count");
  for (int i = 0; i < 3; ++i) Signal("field->tick").rise();
  std::cout << "made 1 Counter, counted " << counter->count << std::endl;
  unregister_slot("field->counter->count");
  delete made;
  return 0;
}
