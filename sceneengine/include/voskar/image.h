#pragma once
// A picture file shown as a sprite: loaded through the image loader registry into a surface of
// the object's own name, drawn each frame at the object's computed position.

#include <string>

#include "brannow/brannow.h"
#include "olvane/video.h"
#include "voskar/sceneobject.h"

class Scene;

class Image : public virtual SceneObject {
public:
  Image();
  Image(const Image& other) = default;
  Image& operator=(const Image& other) = default;
  ~Image() override;

  bool load(Scene* scene, std::string storage_name, std::string storage_prefix,
            std::string scene_name, std::string object_name,
            Brannow::FileManager* file_manager) override;
  void draw() override;
  // Hit test on the sprite made at load; with require_alpha_collision a point hits only where
  // the picture is not fully transparent.
  bool _is_point_in_object(float x, float y) override;

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix,
                 std::string scene_name, std::string object_name,
                 Brannow::FileManager* file_manager);

  std::string _get_image_file() { return image_file; }
  void _set_image_file(std::string value) { image_file = value; }
  std::string _get_loader() { return loader; }
  void _set_loader(std::string value) { loader = value; }
  float _get_x_base() { return x_base; }
  void _set_x_base(float value) { x_base = value; }
  float _get_y_base() { return y_base; }
  void _set_y_base(float value) { y_base = value; }
  Video_Sprite* _get__sprite_() { return _sprite_; }
  void _set__sprite_(Video_Sprite* value) { _sprite_ = value; }

protected:
  // Loads the picture into the surface `name` of the scene's group and puts a sprite on it.
  bool load_image(std::string file, std::string name, Brannow::FileManager* file_manager);

  std::string image_file;
  std::string loader;  // empty: chosen by the file's extension
  float x_base, y_base;
  Video_Sprite* _sprite_;  // owned by the video device
};
