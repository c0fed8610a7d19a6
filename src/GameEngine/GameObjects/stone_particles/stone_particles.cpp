#include "stone_particles.h"

#include <cstdlib>

#include "../../game_log.h"
#include "../../physscene/physscene.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "voskar/object_from_data.h"
#include "vistrel/imageloader.h"

namespace {
const char* const REAL_LOAD = "StoneParticles::real_load";
const char* const DRAW = "StoneParticles::draw";
const float PARTICLE_HALF_SIZE = 1.75f;  // world units
// What one particle box of density 1 gets: about 82 world units a second on each axis.
const float IMPULSE = 1000.0f;

// One of -IMPULSE, 0, IMPULSE.
float random_impulse() { return static_cast<float>(rand() % 3) * IMPULSE - IMPULSE; }

// A burst's particles share the mass of one box of density 1, and its impulses with it, so each
// particle flies as fast as a box of density 1 alone would. At density 1 apiece a burst of 50
// weighed as much as 50 heavy stones: it threw the pile out of the field and squeezed stones
// through the floor.
float share_of_burst(int particle_count) { return particle_count > 0 ? 1.0f / particle_count : 1.0f; }
}  // namespace

StoneParticles::StoneParticles()
    : particle_count(50), particle_size(32.0f), power(10.0f), life_time(0.5f), outline(true), stone_colour(false), under_sprites(false), hit_stones(true), colour{255, 255, 255} {}

// Bodies left at deletion belong to a world that is going away with its scene.
StoneParticles::~StoneParticles() = default;

bool StoneParticles::load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                          std::string object_name, Brannow::FileManager* file_manager) {
  Config_Interface* config =
      begin_object_load(this, scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
  if (!config) return false;
  read_keys(config);
  return real_load(scene, storage_name, storage_prefix, scene_name, object_name, file_manager);
}

bool StoneParticles::load_at(float x, float y, Brannow::FileManager* file_manager) {
  Config_Interface* config = config_get_interface(_get__storage_name_());
  if (!config) {
    _set_error("Can't get config interface:" + config_error());
    return false;
  }
  read_keys(config);
  _set_absolute_x(x);
  _set_absolute_y(y);
  _set_coord_type("absolute");
  if (real_load(_get_scene(), _get__storage_name_(), _get__storage_prefix_(), _get__scene_name_(),
                _get__object_name_(), file_manager))
    return true;
  // A half-made burst goes as a plain object: what it made goes first.
  release_resources();
  _set_error("Unable to load main object: " + _get_error());
  return false;
}

void StoneParticles::read_keys(Config_Interface* config) {
  const std::string& storage_prefix = _get__storage_prefix_();
  read_limited(config, "StoneParticles->particleCount", &particle_count);
  read_limited(config, "StoneParticles->particleSize", &particle_size);
  read_limited(config, "StoneParticles->power", &power);
  image_file = config->get_value(storage_prefix + "StoneParticles->imageFile", "res/data/game/images/stoneParticle");
  read_limited(config, "StoneParticles->lifeTime", &life_time);
  outline = tarnvale::read_flag(config, storage_prefix, "StoneParticles->outline");
  stone_colour = tarnvale::read_flag(config, storage_prefix, "StoneParticles->stoneColour");
  under_sprites = tarnvale::read_flag(config, storage_prefix, "StoneParticles->underSprites");
  hit_stones = tarnvale::read_flag(config, storage_prefix, "StoneParticles->hitStones");
}

bool StoneParticles::real_load(Scene* scene, std::string, std::string, std::string scene_name,
                               std::string object_name, Brannow::FileManager* file_manager) {
  Video_Interface* video = video_get_interface(_get__video_name_());
  if (!video) return false;
  PhysScene* game_scene = dynamic_cast<PhysScene*>(scene);
  if (!game_scene || !game_scene->get_world()) {
    _set_error("Particles outside a game scene: " + object_name);
    return false;
  }
  const std::string surface = object_name + "particlesSurface";
  const std::string set = object_name + "particles";
  if (!imageloader_loadimage_noext(_get__video_name_(), image_file, scene_name, surface, file_manager, true)) {
    GAME_CRITICAL(REAL_LOAD, "Can't load image:" << imageloader_error());
    return false;
  }
  if (!video->_create_particles(set, scene_name, surface, scene_name, particle_count, true)) {
    GAME_CRITICAL(REAL_LOAD, "Error creating particles:" << video->_get_error());
    return false;
  }
  Video_Particles* particles = video->_get_particles(set, scene_name);
  if (!particles) {
    GAME_CRITICAL(REAL_LOAD, "Error getting particles:" << video->_get_error());
    return false;
  }
  particles->_set_particle_size(static_cast<int>(particle_size));

  // A burst loaded again starts afresh: one body per particle, never two.
  destroy_bodies();
  calculate_position();
  BoxBodyDef def;
  def.type = b2_dynamicBody;
  def.position = scene_to_world(_get_x(), _get_y());
  def.half_width = def.half_height = PARTICLE_HALF_SIZE;
  const float share = share_of_burst(particle_count);
  def.density = share;
  def.friction = 0.4f;
  def.category = 0x0004;
  // Walls, and stones unless the bursts leave the pile alone.
  def.mask = hit_stones ? 0x0003 : 0x0001;
  def.fixed_rotation = true;
  def.bullet = true;
  for (int i = 0; i < particle_count; ++i) {
    b2Body* body = create_box_body(game_scene->get_world(), def);
    const float vx = random_impulse();
    const float vy = random_impulse();
    body->ApplyLinearImpulse(share * b2Vec2(vx, vy), body->GetWorldCenter(), true);
    particles->_set_particle(i, _get_x(), _get_y(), 255, 255, 255, 1.0f);
    bodies.push_back(body);
  }
  timer.reset();
  return true;
}

void StoneParticles::draw() {
  Video_Interface* video = video_get_interface(_get__video_name_());
  if (!video) return;
  Video_Particles* particles = video->_get_particles(particles_name(), _get__scene_name_());
  if (!particles) {
    GAME_CRITICAL(DRAW, "Error getting particles:" << video->_get_error());
    return;
  }
  const float elapsed = static_cast<float>(timer.get_elapsed_time_noreset());
  const float alpha = (life_time - elapsed) / life_time;
  for (size_t i = 0; i < bodies.size(); ++i) {
    if (outline) draw_outline(video, bodies[i]);
    const b2Vec2 position = bodies[i]->GetPosition();
    particles->_set_particle(static_cast<int>(i), world_to_scene(position.x), world_to_scene(position.y), colour.red,
                             colour.green, colour.blue, alpha);
  }
  video->_draw_particles(particles_name(), _get__scene_name_(), under_sprites);
}

void StoneParticles::draw_outline(Video_Interface* video, const b2Body* body) {
  const b2Fixture* fixture = body->GetFixtureList();
  if (!fixture || fixture->GetType() != b2Shape::e_polygon) return;
  const auto* box = static_cast<const b2PolygonShape*>(fixture->GetShape());
  std::vector<VideoPoint> corners(box->m_count);
  for (int i = 0; i < box->m_count; ++i) {
    const b2Vec2 corner = b2Mul(body->GetTransform(), box->m_vertices[i]);
    corners[i].x = world_to_scene(corner.x);
    corners[i].y = world_to_scene(corner.y);
  }
  video->_draw_polygon(corners);
}

void StoneParticles::destroy_bodies() {
  PhysScene* game_scene = dynamic_cast<PhysScene*>(scene);
  if (game_scene && game_scene->get_world())
    for (b2Body* body : bodies) game_scene->get_world()->DestroyBody(body);
  bodies.clear();
}

void StoneParticles::release_resources() {
  destroy_bodies();
  if (Video_Interface* video = video_get_interface(_get__video_name_())) {
    video->_remove_particles(particles_name(), _get__scene_name_());
    video->_remove_surface(surface_name(), _get__scene_name_());
  }
}
