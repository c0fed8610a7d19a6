#include <gtest/gtest.h>

#include <string>

#include "voskar/fabric.h"
#include "voskar/scene.h"
#include "voskar/sceneobject.h"
#include "tarnvale/storage.h"

namespace {

class Marker : public SceneObject {
public:
  explicit Marker(int kind = 1) : kind(kind) { ++alive; }
  ~Marker() override { --alive; }
  void draw() override {}
  int kind;
  static int alive;
};
int Marker::alive = 0;

// Answers its activate slot with whether it was called on itself.
class SelfAware : public Marker {
public:
  bool slot__on_activate(SlotArgs*) override { return this == expected; }
  void map_builtin_slots() { _slot_map_.emplace_back("activate", &slot_activate); }
  SceneObject* expected = nullptr;
};

class OtherMarker : public Marker {
public:
  OtherMarker() : Marker(2) {}
};

TEST(Storage, AbsentKeysThrowFalseAndRemoveIsHarmless) {
  Storage<std::string, int> storage;
  EXPECT_TRUE(storage.add("a", 1));
  EXPECT_FALSE(storage.add("a", 2));
  EXPECT_EQ(storage.get("a"), 1);
  EXPECT_FALSE(storage.exists("b"));
  bool thrown = true;
  try {
    storage.get("b");
  } catch (bool value) {
    thrown = value;
  }
  EXPECT_FALSE(thrown);
  EXPECT_TRUE(storage.remove("b"));
  EXPECT_EQ(storage.size(), 1u);
}

TEST(Storage, TraversesInByteOrderAndNeverDeletesValues) {
  {
    Storage<std::string, SceneObject*> storage;
    storage.add("b", new Marker);
    storage.add("B", new Marker);
    storage.add("a", new Marker);
    std::string order;
    for (auto& entry : storage) order += entry.first;
    EXPECT_EQ(order, "Bab");
    EXPECT_EQ(Marker::alive, 3);
    for (auto& entry : storage) delete entry.second;
  }
  EXPECT_EQ(Marker::alive, 0);
}

TEST(SceneObjectCopy, TheCopysSlotsCallTheCopy) {
  SelfAware original;
  original.map_builtin_slots();
  SelfAware copy(original);
  copy.expected = &copy;
  SlotArgs args;
  EXPECT_TRUE(copy._get__slot_map_().front().second->call(&args));

  SelfAware assigned;
  assigned = original;
  assigned.expected = &assigned;
  EXPECT_TRUE(assigned._get__slot_map_().front().second->call(&args));
}

TEST(Fabric, FirstRegistrationWinsAndEveryCallMakesAFreshObject) {
  static ObjectFabric<Marker> first;
  static ObjectFabric<OtherMarker> second;
  SceneObjectFabric::add_fabric("FabricTestMarker", &first);
  SceneObjectFabric::add_fabric("FabricTestMarker", &second);

  SceneObject* one = SceneObjectFabric()["FabricTestMarker"];
  SceneObject* two = SceneObjectFabric()["FabricTestMarker"];
  ASSERT_NE(one, nullptr);
  EXPECT_NE(one, two);
  EXPECT_EQ(dynamic_cast<Marker*>(one)->kind, 1);
  delete one;
  delete two;

  const int before = Marker::alive;
  EXPECT_EQ(SceneObjectFabric()["FabricTestNobody"], nullptr);
  EXPECT_EQ(Marker::alive, before);
  EXPECT_EQ(SceneObjectFabric()(), nullptr);
}

TEST(Fabric, SceneFabricsMakeScenesWithTheirDefaults) {
  static SceneFabrics<Scene> scenes;
  SceneFabric::add_fabric("FabricTestScene", &scenes);
  Scene* scene = SceneFabric()["FabricTestScene"];
  ASSERT_NE(scene, nullptr);
  EXPECT_EQ(scene->get_width(), 0);
  EXPECT_FLOAT_EQ(scene->get_base_x(), 0.5f);
  EXPECT_FALSE(scene->scene_loaded());
  EXPECT_EQ(scene->get_parent(), nullptr);
  delete scene;
  EXPECT_EQ(SceneFabric()["FabricTestNoScene"], nullptr);
}

}  // namespace
