#include "peg_field.h"

#include <cstdlib>
#include <iostream>

#include <carrow/config.h>
#include <olvane/video.h>
#include <panolet/ui.h>
#include <twinkel/signals.h>
#include <voskar/scenemanager.h>

#include "ball.h"
#include "peg.h"

namespace {

float read_real(Config_Interface* config, const std::string& key, const char* fallback) {
  return static_cast<float>(std::atof(config->get_value(key, fallback).c_str()));
}

}  // namespace

PegField::PegField() : world_(b2Vec2(0.0f, -30.0f)) { world_.SetContactListener(this); }

bool PegField::load_scene() {
  if (Video_Interface* video = video_get_interface(video_name))
    if (video->_get_height() > 0)
      aspect_ = static_cast<float>(video->_get_width()) / static_cast<float>(video->_get_height());
  // The pegs make their bodies while they load: the world's settings come first.
  if (!config_create(name, "libquorra", true)) return false;
  Config_Interface* config = config_get_interface(name);
  config->load(storage_file, file_manager);
  world_.SetGravity(b2Vec2(0.0f, read_real(config, "Scene->gravity", "-30")));
  balls_ = std::atoi(config->get_value("Scene->balls", "5").c_str());
  bonus_pegs_ = std::atoi(config->get_value("Scene->bonus_pegs", "5").c_str());
  game_over_scene_ = config->get_value("Scene->game_over_scene", "exit");
  score_setting_ = config->get_value("Scene->score_setting", "");
  if (!Scene::load_scene()) return false;
  std::cout << "Pegfall: a new game, " << balls_ << " balls" << std::endl;
  tell();
  return true;
}

b2Body* PegField::make_round_body(b2BodyType type, float x, float y, float radius,
                                  float restitution, Peg* peg) {
  b2BodyDef place;
  place.type = type;
  place.position = to_world(x, y);
  b2Body* body = world_.CreateBody(&place);
  b2CircleShape round;
  round.m_radius = radius * SCALE;
  b2FixtureDef fixture;
  fixture.shape = &round;
  fixture.density = 1.0f;
  fixture.restitution = restitution;
  fixture.userData.pointer = reinterpret_cast<uintptr_t>(peg);
  body->CreateFixture(&fixture);
  return body;
}

bool PegField::draw() {
  world_.Step(time_step_, 8, 3);
  return Scene::draw();
}

Ball* PegField::ball() {
  for (const std::string& object : object_names)
    if (Ball* found = dynamic_cast<Ball*>(get_object(object))) return found;
  return nullptr;
}

bool PegField::slot__on_mouse_press(SlotArgs* args) {
  Ball* dropped = ball();
  if (dropped && !dropped->in_play() && balls_ > 0 && args && !args->float_params.empty()) {
    --balls_;
    dropped->drop(args->float_params[0]);
    tell();
  }
  return Scene::slot__on_mouse_press(args);
}

void PegField::BeginContact(b2Contact* contact) {
  for (b2Fixture* fixture : {contact->GetFixtureA(), contact->GetFixtureB()}) {
    Peg* peg = reinterpret_cast<Peg*>(fixture->GetUserData().pointer);
    if (peg && peg->light()) lit_.push_back(peg);
  }
}

void PegField::ball_left() {
  const int count = static_cast<int>(lit_.size());
  score_ += 10 * count * (count >= bonus_pegs_ ? 2 : 1);
  // Bodies may not go while the world steps; the ball leaves in its draw, after the step.
  for (Peg* peg : lit_)
    for (const std::string& object : object_names)
      if (get_object(object) == peg) {
        remove_object(object);
        delete peg;
        break;
      }
  lit_.clear();
  tell();
  ++dropped_;
  std::cout << "Pegfall: ball " << dropped_ << " lit " << count << " pegs, score " << score_
            << std::endl;
  if (balls_ > 0) return;
  std::cout << "Pegfall: game over, score " << score_ << std::endl;
  // The game over scene's best-scores table enters it from there.
  if (!score_setting_.empty()) ui_set_setting(score_setting_, std::to_string(score_));
  set_next_scene(game_over_scene_);
}

void PegField::tell() {
  Signal score(name + "->score");
  score.add_params(std::string("Score: ") + std::to_string(score_));
  score.rise();
  Signal balls(name + "->balls");
  balls.add_params(std::string("Balls: ") + std::to_string(balls_));
  balls.rise();
}
