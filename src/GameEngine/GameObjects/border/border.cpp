#include "border.h"

#include <cstdlib>
#include <iostream>

#include "../../physscene/physscene.h"
#include "carrow/config.h"
#include "voskar/object_from_data.h"
#include "olvane/video.h"
#include "tarnvale/progress_log.h"

Border::Border() : rotation(0.0f), body(nullptr) {}

// The body stays in the world; the world goes with the scene.
Border::~Border() = default;

bool Border::load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                  std::string object_name, Brannow::FileManager* file_manager) {
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix, scene_name, object_name,
                                               file_manager, CommonKeys::skipped);
  if (!config) return false;
  if (!Image::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager)) return false;
  read_limited(config, "Border->rotation", &rotation);

  Video_Sprite* sprite = _get__sprite_();
  PhysScene* game_scene = dynamic_cast<PhysScene*>(scene);
  if (!sprite || !game_scene || !game_scene->get_world()) {
    _set_error("Border outside a game scene: " + object_name);
    return false;
  }
  calculate_position();
  sprite->_set_coord(_get_x(), _get_y());
  sprite->_set_rotation(rotation);

  VideoRect rect;
  sprite->_get_rectangle(&rect);
  BoxBodyDef def;
  def.type = b2_staticBody;
  def.position = scene_to_world(_get_x(), _get_y());
  def.angle = static_cast<float>(rotation * DEGREES_TO_RADIANS);
  def.half_width = static_cast<float>((rect.x2 - rect.x1) * WORLD_SCALE * 0.5);
  def.half_height = static_cast<float>((rect.y2 - rect.y1) * WORLD_SCALE * 0.5);
  def.friction = 0.2f;
  def.category = 0x0001;
  def.mask = 0x0007;
  body = create_box_body(game_scene->get_world(), def);

  std::ostream& trace = tarnvale::trace_err();
  trace << "boxr:" << rect.x1 << ":" << rect.y1 << " " << rect.x2 << ":" << rect.y2 << std::endl;
  trace << "box:" << (rect.x2 - rect.x1) * 25 << ":" << (rect.y2 - rect.y1) * 25 << std::endl;
  return true;
}

void Border::draw() {
  if (!body) return;
  Video_Sprite* sprite = _get__sprite_();
  if (sprite) sprite->_set_rotation(static_cast<float>(body->GetAngle() * RADIANS_TO_DEGREES));
  _set_x(world_to_scene(body->GetPosition().x));
  _set_y(world_to_scene(body->GetPosition().y));
  Video_Interface* video = video_get_interface(_get__video_name_());
  if (!_get_show() || !video || !sprite) return;
  sprite->_set_coord(_get_x(), _get_y());
  video->_draw_sprite(_get__object_name_(), _get__scene_name_());
}

bool Border::_is_point_in_object(float x, float y) {
  if (!body || !body->GetFixtureList()) return false;
  return body->GetFixtureList()->GetShape()->TestPoint(body->GetTransform(), scene_to_world(x, y));
}
