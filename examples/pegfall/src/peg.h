#pragma once
// A peg: a picture with a round static body. The ball lights it on touch.

#include <box2d/box2d.h>

#include <voskar/image.h>

class Peg : public Image {
public:
  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  ~Peg() override;
  // False when it was lit already.
  bool light();

private:
  b2Body* body_ = nullptr;
  bool lit_ = false;
};
