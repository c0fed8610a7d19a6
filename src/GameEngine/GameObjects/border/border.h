#pragma once
// A wall of the field: an image with a static, possibly turned box of the same size.

#include <box2d/box2d.h>

#include <string>

#include "voskar/image.h"

class Border : public virtual Image {
public:
  Border();
  ~Border() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
            std::string object_name, Brannow::FileManager* file_manager) override;
  void draw() override;
  bool _is_point_in_object(float x, float y) override;

  float _get_rotation() const { return rotation; }
  b2Body* _get_body() const { return body; }

private:
  float rotation;  // degrees
  b2Body* body;
};
