#include "ball.h"

#include <cstdlib>

#include <carrow/config.h>

#include "peg_field.h"

bool Ball::load(Scene* scene, std::string storage_name, std::string storage_prefix,
                std::string scene_name, std::string object_name,
                Brannow::FileManager* file_manager) {
  if (!dynamic_cast<PegField*>(scene)) {
    _set_error("a Ball belongs in a PegField scene");
    return false;
  }
  if (!Image::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager))
    return false;
  Config_Interface* config = config_get_interface(storage_name);
  radius_ = static_cast<float>(
      std::atof(config->get_value(storage_prefix + "Ball->radius", "0.03").c_str()));
  start_y_ = absolute_y;
  show = false;
  return true;
}

Ball::~Ball() {
  if (body_) body_->GetWorld()->DestroyBody(body_);
}

void Ball::drop(float x) {
  body_ = static_cast<PegField*>(scene)->make_round_body(b2_dynamicBody, x, start_y_, radius_,
                                                         0.4f, nullptr);
  absolute_x = x;
  absolute_y = start_y_;
  show = true;
}

void Ball::draw() {
  if (body_) {
    // A ball that comes to rest on a peg's crown would stay there: half a second still, it is
    // pushed off to the side.
    still_frames_ = body_->GetLinearVelocity().Length() < 0.5f ? still_frames_ + 1 : 0;
    if (still_frames_ > 30) {
      push_left_ = !push_left_;
      body_->SetLinearVelocity(b2Vec2(push_left_ ? -3.0f : 3.0f, 2.0f));
      still_frames_ = 0;
    }
    const b2Vec2 at = static_cast<PegField*>(scene)->to_scene(body_->GetPosition());
    absolute_x = at.x;
    absolute_y = at.y;
    if (absolute_y < -1.1f || absolute_x < -1.1f || absolute_x > 1.1f) {
      body_->GetWorld()->DestroyBody(body_);
      body_ = nullptr;
      show = false;
      static_cast<PegField*>(scene)->ball_left();
      return;
    }
  }
  Image::draw();
}
