#include "peg.h"

#include <cstdlib>

#include <carrow/config.h>

#include "peg_field.h"

bool Peg::load(Scene* scene, std::string storage_name, std::string storage_prefix,
               std::string scene_name, std::string object_name,
               Brannow::FileManager* file_manager) {
  if (!Image::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager))
    return false;
  PegField* field = dynamic_cast<PegField*>(scene);
  if (!field) {
    _set_error("a Peg belongs in a PegField scene");
    return false;
  }
  Config_Interface* config = config_get_interface(storage_name);
  const float radius = static_cast<float>(
      std::atof(config->get_value(storage_prefix + "Peg->radius", "0.03").c_str()));
  body_ = field->make_round_body(b2_staticBody, absolute_x, absolute_y, radius, 0.5f, this);
  return true;
}

Peg::~Peg() {
  if (body_) body_->GetWorld()->DestroyBody(body_);
}

bool Peg::light() {
  if (lit_) return false;
  lit_ = true;
  if (_sprite_) _sprite_->_set_blend_color(1.0f, 0.72f, 0.18f);
  return true;
}
