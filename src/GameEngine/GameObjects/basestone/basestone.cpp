#include "basestone.h"

#include <algorithm>

#include "../../game_log.h"
#include "../../physscene/physscene.h"
#include "carrow/config.h"
#include "voskar/object_from_data.h"
#include "olvane/video.h"

BaseStone::BaseStone()
    : activate_slot(this, &BaseStone::slot__on_activate),
      release_slot(this, &BaseStone::slot__on_mouse_release),
      density(1.0f),
      friction(0.0f),
      restitution(0.0f) {}

// Whoever deletes a stone has destroyed its body already.
BaseStone::~BaseStone() = default;

bool BaseStone::load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                     std::string object_name, Brannow::FileManager* file_manager) {
  Config_Interface* config = begin_object_load(this, scene, storage_name, storage_prefix, scene_name, object_name,
                                               file_manager, CommonKeys::skipped);
  if (!config) return false;
  if (!Image::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager)) return false;

  read_limited(config, "BaseStone->density", &density);
  read_limited(config, "BaseStone->friction", &friction);
  read_limited(config, "BaseStone->restitution", &restitution);

  const std::string slot_prefix = scene_name + "->" + object_name + "->";
  auto slots = _get__slot_map_();
  slots.push_back({slot_prefix + "_on_activate", &activate_slot});
  slots.push_back({slot_prefix + "_on_mouse_release", &release_slot});
  _set__slot_map_(slots);

  return real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool BaseStone::load_placed(const StonePlacement& placement, Brannow::FileManager* file_manager) {
  kind = placement.kind;
  _set_image_file(placement.image_file);
  _set_absolute_x(placement.x);
  _set_absolute_y(placement.y);
  _set_coord_type("absolute");
  _set_x_base(0.5f);
  _set_y_base(0.5f);
  density = placement.density;
  friction = 0.0f;
  restitution = 0.0f;
  Scene* scene = _get_scene();
  const std::string storage = _get__storage_name_(), prefix = _get__storage_prefix_();
  const std::string scene_name = _get__scene_name_(), name = _get__object_name_();
  const char* failed = nullptr;
  if (!Image::real_load(scene, storage, prefix, scene_name, name, file_manager))
    failed = "Unable to load Image subobject: ";
  else if (!real_load(scene, storage, prefix, scene_name, name, file_manager))
    failed = "Unable to load main object: ";
  if (failed) _set_error(failed + _get_error());
  return !failed;
}

bool BaseStone::real_load(Scene* scene, std::string, std::string, std::string scene_name, std::string object_name,
                          Brannow::FileManager*) {
  Video_Sprite* sprite = _get__sprite_();
  if (!sprite) {
    _set_error("Stone has no sprite: " + object_name);
    return false;
  }
  calculate_position();
  sprite->_set_coord(_get_x(), _get_y());

  PhysScene* game_scene = dynamic_cast<PhysScene*>(scene);
  if (!game_scene || !game_scene->get_world()) {
    _set_error("Stone outside a game scene: " + object_name);
    return false;
  }
  // A stone loaded twice keeps one body: the latest.
  if (body) game_scene->get_world()->DestroyBody(body);

  VideoRect rect;
  sprite->_get_rectangle(&rect);
  // A stone's sprite keeps its size; the group search asks for it many times a frame.
  width = static_cast<float>(rect.x2 - rect.x1);
  height = static_cast<float>(rect.y2 - rect.y1);
  BoxBodyDef def;
  def.type = b2_dynamicBody;
  def.position = scene_to_world(_get_x(), _get_y());
  def.angle = static_cast<float>(DEGREES_TO_RADIANS * 45);
  def.half_width = static_cast<float>((rect.x2 - rect.x1) * WORLD_SCALE * 0.5);
  def.half_height = static_cast<float>((rect.y2 - rect.y1) * WORLD_SCALE * 0.5);
  def.density = density;
  def.friction = friction;
  def.restitution = restitution;
  def.category = 0x0002;
  def.mask = 0x0007;
  def.fixed_rotation = true;
  // Not a bullet: stacked bullets freeze in each other's time of impact, overlap and never
  // sleep. Continuous collision against the walls stays (Box2D does it for every dynamic body),
  // and a falling stone moves far less than its own size in one step.
  def.bullet = false;
  def.user_data = static_cast<FieldStone*>(this);
  body = create_box_body(game_scene->get_world(), def);

  GAME_INFO(object_name << " position:" << _get_x() << ":" << _get_y());
  GAME_INFO("Mass:" << body->GetMass());

  add_signal_connection({scene_name + "->activate", scene_name + "->" + object_name + "->_on_activate", false});
  return true;
}

bool BaseStone::slot__on_activate(SlotArgs*) {
  connect(_get__video_name_() + "->mouse_release",
          _get__scene_name_() + "->" + _get__object_name_() + "->_on_mouse_release");
  return false;
}

bool BaseStone::slot__on_mouse_release(SlotArgs* args) {
  // The pack of a release: the buttons, then x, y, dx, dy. Anything shorter is not ours to act on.
  if (!args || args->int_params.size() < 1 || args->float_params.size() < 4) return true;
  // One press, one release: a selected stone would take every later release for a click on it.
  disconnect_release();
  return _on_mouse_release_handler();
}

void BaseStone::set_blend(float shade) {
  if (Video_Sprite* sprite = _get__sprite_()) sprite->_set_blend_color(shade, shade, shade);
}

void BaseStone::disconnect_release() {
  disconnect(_get__video_name_() + "->mouse_release",
             _get__scene_name_() + "->" + _get__object_name_() + "->_on_mouse_release");
}

bool BaseStone::_on_mouse_release_handler() {
  if (auto* game_scene = dynamic_cast<PhysScene*>(scene)) game_scene->stone_clicked(this);
  return false;
}

void BaseStone::show_swap(BaseStone* other, bool stood, float swap_seconds, float reject_seconds) {
  // From each picture's place to the other's: the scene offset between the two bodies.
  const b2Vec2 between = (1.0f / WORLD_SCALE) * (other->body->GetPosition() - body->GetPosition());
  if (stood) {
    motion.travel(between, swap_seconds);
    other->motion.travel(-between, swap_seconds);
  } else {
    motion.shake(between, reject_seconds);
    other->motion.shake(-between, reject_seconds);
  }
}

void BaseStone::draw() {
  if (!body) return;
  const b2Vec2 position = body->GetPosition();
  if (_sprite_) _sprite_->_set_rotation(static_cast<float>(body->GetAngle() * RADIANS_TO_DEGREES));
  x = world_to_scene(position.x);
  y = world_to_scene(position.y);

  Video_Interface* video = video_get_interface(_video_name_);
  if (!show || !video || !_sprite_) return;
  const b2Vec2 shift = motion.offset();
  _sprite_->_set_coord(x + shift.x, y + shift.y);
  // The stone's own sprite is the one filed under its name; no lookup needed.
  video->_draw_sprite(_sprite_);
}

bool BaseStone::_is_point_in_object(float x, float y) {
  if (!body || !body->GetFixtureList()) return false;
  return body->GetFixtureList()->GetShape()->TestPoint(body->GetTransform(), scene_to_world(x, y));
}

bool BaseStone::picture_colour(int* red, int* green, int* blue) {
  Video_Interface* video = video_get_interface(_get__video_name_());
  Video_Surface* surface = video ? video->_get_surface(_get__object_name_(), _get__scene_name_()) : nullptr;
  if (!surface || !surface->_get_surface_data() || surface->_get_bpp() != 4) return false;
  const auto* pixels = static_cast<const unsigned char*>(surface->_get_surface_data());
  long sum[3] = {0, 0, 0};
  long count = 0;
  for (int row = 0; row < surface->_get_height(); ++row)
    for (int column = 0; column < surface->_get_width(); ++column) {
      const unsigned char* pixel = pixels + row * surface->_get_pitch() + column * 4;
      if (pixel[3] < 128) continue;
      for (int channel = 0; channel < 3; ++channel) sum[channel] += pixel[channel];
      ++count;
    }
  const long brightest = std::max({sum[0], sum[1], sum[2]});
  if (count == 0 || brightest == 0) return false;
  // The picture's hue at full brightness: the particles' own picture gives the shading.
  *red = static_cast<int>(sum[0] * 255 / brightest);
  *green = static_cast<int>(sum[1] * 255 / brightest);
  *blue = static_cast<int>(sum[2] * 255 / brightest);
  return true;
}
