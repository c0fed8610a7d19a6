#include "basestone.h"

#include <algorithm>
#include <cstdlib>

#include "../../game_log.h"
#include "../../physscene/physscene.h"
#include "../stone_particles/stone_particles.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "voskar/fabric.h"

namespace {
const char* const RELEASE_HANDLER = "BaseStone::_on_mouse_release_handler";
const char* const RUN_PARTICLES = "BaseStone::_run_particles";
// A second click counts as a neighbour when the centres are at most this many stone sizes apart.
const float NEIGHBOUR_DISTANCE = 1.2f;
// Two stones share a face when they touch along at least this share of the smaller side.
const float FACE_SHARE = 0.8f;
const size_t GROUP_SIZE = 3;

bool contains(const std::vector<b2Body*>& bodies, const b2Body* body) {
  return std::find(bodies.begin(), bodies.end(), body) != bodies.end();
}
}  // namespace

BaseStone* stone_of(b2Body* body) { return static_cast<BaseStone*>(body_user_data(body)); }

BaseStone::BaseStone()
    : activate_slot(this, &BaseStone::slot__on_activate),
      release_slot(this, &BaseStone::slot__on_mouse_release),
      type(0),
      density(1.0f),
      friction(0.0f),
      restitution(0.0f),
      body(nullptr),
      file_manager(nullptr),
      sprite_width(0.0f),
      sprite_height(0.0f) {}

// Whoever deletes a stone has destroyed its body already.
BaseStone::~BaseStone() = default;

PhysScene* BaseStone::phys_scene() const { return dynamic_cast<PhysScene*>(scene); }

bool BaseStone::load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                     std::string object_name, Brannow::FileManager* file_manager) {
  SceneObject::scene = scene;
  Config_Interface* config =
      start_object_load(this, storage_name, storage_prefix, scene_name, object_name);
  if (!config) return false;
  if (!Image::load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager)) return false;

  density = static_cast<float>(atof(config->get_value(storage_prefix + "BaseStone->density", "1.0").c_str()));
  friction = static_cast<float>(atof(config->get_value(storage_prefix + "BaseStone->friction", "0.0").c_str()));
  restitution =
      static_cast<float>(atof(config->get_value(storage_prefix + "BaseStone->restitution", "0.0").c_str()));

  const std::string slot_prefix = scene_name + "->" + object_name + "->";
  auto slots = _get__slot_map_();
  slots.push_back({slot_prefix + "_on_activate", &activate_slot});
  slots.push_back({slot_prefix + "_on_mouse_release", &release_slot});
  _set__slot_map_(slots);

  return real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool BaseStone::real_load(Scene* scene, std::string, std::string, std::string scene_name, std::string object_name,
                          Brannow::FileManager* manager) {
  file_manager = manager;
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
  sprite_width = static_cast<float>(rect.x2 - rect.x1);
  sprite_height = static_cast<float>(rect.y2 - rect.y1);
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
  def.user_data = this;
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
  return _on_mouse_release_handler();
}

float BaseStone::larger_side() { return std::max(sprite_width, sprite_height); }

float BaseStone::smaller_side() { return std::min(sprite_width, sprite_height); }

void BaseStone::set_blend(float shade) {
  if (Video_Sprite* sprite = _get__sprite_()) sprite->_set_blend_color(shade, shade, shade);
}

void BaseStone::swap_bodies(BaseStone* other) {
  std::swap(body, other->body);
  set_body_user_data(body, this);
  set_body_user_data(other->body, other);
}

void BaseStone::disconnect_release(BaseStone* other) {
  const std::string signal = _get__video_name_() + "->mouse_release";
  disconnect(signal, _get__scene_name_() + "->" + _get__object_name_() + "->_on_mouse_release");
  disconnect(signal, other->_get__scene_name_() + "->" + other->_get__object_name_() + "->_on_mouse_release");
}

bool BaseStone::_on_mouse_release_handler() {
  PhysScene* game_scene = phys_scene();
  if (!game_scene || !body || !game_scene->accepts_moves()) return false;
  BaseStone* selected = game_scene->get_selected_stone();
  if (!selected) {
    game_scene->set_selected_stone(this);
    set_blend(0.5f);
    return false;
  }
  if (selected == this) return false;

  selected->set_blend(1.0f);
  const float max_size = std::max(larger_side(), selected->larger_side());
  const float distance = b2Distance(body->GetPosition(), selected->body->GetPosition()) / WORLD_SCALE;
  const bool apart = distance > max_size * NEIGHBOUR_DISTANCE;
  GAME_INFO("Dist>maxSize" << distance << ">" << max_size * NEIGHBOUR_DISTANCE << "=" << (apart ? 1 : 0));
  game_scene->set_selected_stone(nullptr);
  disconnect_release(selected);
  if (apart) return false;

  swap_bodies(selected);
  std::vector<b2Body*> group = find_group(selected->body, selected->type);
  GAME_DEBUG(RELEASE_HANDLER, "same_type:" << static_cast<unsigned>(group.size()));
  if (group.size() >= GROUP_SIZE) return false;

  group = find_group(body, type);
  GAME_DEBUG(RELEASE_HANDLER, "same_type:" << static_cast<unsigned>(group.size()));
  if (group.size() < GROUP_SIZE) swap_bodies(selected);
  return false;
}

std::vector<b2Body*> BaseStone::find_group(b2Body* start, int type) {
  std::vector<b2Body*> found;
  std::vector<b2Body*> pending;
  b2Body* current = start;
  while (current) {
    BaseStone* current_stone = stone_of(current);
    const float own = current_stone ? current_stone->smaller_side() : 0.0f;
    for (b2ContactEdge* edge = current->GetContactList(); edge; edge = edge->next) {
      b2Body* other = edge->other;
      BaseStone* other_stone = stone_of(other);
      if (!other_stone || contains(found, other) || contains(pending, other)) continue;
      if (other->GetType() != b2_dynamicBody || other_stone->type != type) continue;
      // Faces touch with a two-point manifold; corners touch with one.
      const b2Contact* contact = edge->contact;
      const b2Manifold* manifold = contact->GetManifold();
      if (!contact->IsTouching() || manifold->pointCount != 2) continue;
      const float length = b2Distance(manifold->points[0].localPoint, manifold->points[1].localPoint) / WORLD_SCALE;
      if (length < FACE_SHARE * std::min(own, other_stone->smaller_side())) continue;
      found.push_back(other);
      pending.push_back(other);
    }
    if (pending.empty()) break;
    current = pending.back();
    pending.pop_back();
  }
  return found;
}

void BaseStone::draw() {
  if (!body) return;
  const b2Vec2 position = body->GetPosition();
  const std::vector<b2Body*> group = find_group(body, type);
  if (group.size() >= GROUP_SIZE) {
    // For a score keeper: the scene's "group_removed" signal carries the group's size.
    Signal removed(_get__scene_name_() + "->group_removed");
    removed.add_params(static_cast<int64_t>(group.size()));
    for (b2Body* member : group) {
      BaseStone* stone = stone_of(member);
      stone->_run_particles();
      std::cerr << "removing object:" << stone->_get__object_name_() << std::endl;
      if (stone != this) stone->remove_from_game();
    }
    remove_from_game();
    removed.rise();
    return;
  }

  if (_sprite_) _sprite_->_set_rotation(static_cast<float>(body->GetAngle() * RADIANS_TO_DEGREES));
  x = world_to_scene(position.x);
  y = world_to_scene(position.y);

  Video_Interface* video = video_get_interface(_video_name_);
  if (!show || !video) return;
  if (_sprite_) _sprite_->_set_coord(x, y);
  // Out of the field: gone without a burst. There is no upper limit: stones fall in from above.
  if (x > 2 || x < -2 || y < -2) {
    remove_from_game();
    return;
  }
  // The stone's own sprite is the one filed under its name; no lookup needed.
  if (_sprite_) video->_draw_sprite(_sprite_);
}

bool BaseStone::_is_point_in_object(float x, float y) {
  if (!body || !body->GetFixtureList()) return false;
  return body->GetFixtureList()->GetShape()->TestPoint(body->GetTransform(), scene_to_world(x, y));
}

void BaseStone::_run_particles() {
  GAME_INFO("Launching particles");
  const std::string name = _get__object_name_() + "particles";
  // One burst per name: a second one could not join the scene and would be lost.
  if (!scene || scene->get_object(name)) return;
  StoneParticles* particles = dynamic_cast<StoneParticles*>(SceneObjectFabric()["StoneParticles"]);
  if (!particles) {
    GAME_CRITICAL(RUN_PARTICLES, " StonePaerticles object not found");
    return;
  }
  const std::string scene_name = _get__scene_name_();
  const std::string storage = _get__storage_name_();
  particles->load(scene, storage, scene_name, scene_name, name, file_manager);
  particles->set_video_name(_get__video_name_());
  particles->_set_absolute_x(_get_x());
  particles->_set_absolute_y(_get_y());
  particles->_set_coord_type("absolute");
  particles->calculate_position();
  particles->_set__object_name_(name);
  particles->_set__scene_name_(scene_name);
  if (!particles->SceneObject::real_load(scene, storage, scene_name, scene_name, name, file_manager)) {
    GAME_CRITICAL(RUN_PARTICLES, "Unable to load SceneObject subobject: " << particles->_get_error());
    particles->discard();
    return;
  }
  if (!particles->real_load(scene, storage, scene_name, scene_name, name, file_manager)) {
    GAME_CRITICAL(RUN_PARTICLES, "Unable to load main object: " << particles->_get_error());
    particles->discard();
    return;
  }
  particles->_set_show(true);
  scene->add_object(name, particles, 0);
  GAME_INFO("Particles launched");
}

void BaseStone::remove_from_game() {
  PhysScene* game_scene = phys_scene();
  if (game_scene) {
    if (game_scene->get_selected_stone() == this) game_scene->set_selected_stone(nullptr);
    if (body && game_scene->get_world()) {
      // A sleeping pile stays asleep when a body goes; what rested on this stone must fall.
      for (b2ContactEdge* edge = body->GetContactList(); edge; edge = edge->next) edge->other->SetAwake(true);
      game_scene->get_world()->DestroyBody(body);
    }
  }
  body = nullptr;
  if (scene && scene->get_object(_get__object_name_()) == this) {
    scene->remove_object(_get__object_name_());
  } else {
    disconnect_signals(true);
    unregister_slots();
  }
  release_picture(_get__video_name_(), _get__object_name_(), _get__scene_name_());
  delete this;
}
