#pragma once
// Factories that make scenes and scene objects from a type name read from configuration, with
// the process-wide registries of the factory for each type name.

#include <string>

#include "tarnvale/storage.h"

class Scene;
class SceneObject;

class SceneObjectFabric {
public:
  SceneObjectFabric() = default;
  SceneObjectFabric(const SceneObjectFabric&) = default;
  SceneObjectFabric& operator=(const SceneObjectFabric&) = default;
  virtual ~SceneObjectFabric() = default;
  // The base makes nothing.
  virtual SceneObject* operator()() { return nullptr; }

  // Registers the fabric under the type unless the type already has one (the first one stays).
  static void add_fabric(std::string type, SceneObjectFabric* fabric);
  // A new object of the registered type, owned by the caller; null for an unknown type.
  SceneObject* operator[](std::string type);

  static Storage<std::string, SceneObjectFabric*> _fabrics_;
};

class SceneFabric {
public:
  SceneFabric() = default;
  SceneFabric(const SceneFabric&) = default;
  SceneFabric& operator=(const SceneFabric&) = default;
  virtual ~SceneFabric() = default;
  virtual Scene* operator()() { return nullptr; }

  static void add_fabric(std::string type, SceneFabric* fabric);
  Scene* operator[](std::string type);

  static Storage<std::string, SceneFabric*> _fabrics_;
};

template <typename T>
class ObjectFabric : public SceneObjectFabric {
public:
  SceneObject* operator()() override { return new T(); }
};

template <typename T>
class SceneFabrics : public SceneFabric {
public:
  Scene* operator()() override { return new T(); }
};
