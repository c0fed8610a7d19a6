#pragma once
// A generic scene loaded from a file and activated, as the drawing benchmarks use it.
#include <iostream>
#include <string>

#include "brannow/brannow.h"
#include "voskar/scenemanager.h"

// The scene, or null when it does not load. Its objects' "loaded" lines are not printed.
inline Scene* load_active_scene(const std::string& name, const std::string& file,
                                Brannow::FileManager* files) {
  Scene* scene = SceneFabric()["generic"];
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_storage_file(file);
  scene->set_file_manager(files);
  std::cerr.setstate(std::ios::failbit);
  const bool loaded = scene->load_scene();
  std::cerr.clear();
  if (!loaded) return nullptr;
  scene->slot__on_activate(nullptr);
  return scene;
}
