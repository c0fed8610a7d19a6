#pragma once
// The game's scene type "GameScene": a Scene with a Box2D world, the physics settings of the
// scene file, the walls of a level file and the stone selection of the two-click swap.

#include <box2d/box2d.h>

#include <cstdint>
#include <string>

#include "tessim/time.h"
#include "voskar/scene.h"

class Config_Interface;
class SceneObject;

class BaseStone;

// The world is the scene scaled by 50 and shifted by one: world = (scene + 1) * 50.
constexpr float WORLD_SCALE = 50.0f;
constexpr double DEGREES_TO_RADIANS = 0.017453292519444445;
constexpr double RADIANS_TO_DEGREES = 57.29577951471995;

inline b2Vec2 scene_to_world(float x, float y) {
  return b2Vec2((x + 1.0f) * WORLD_SCALE, (y + 1.0f) * WORLD_SCALE);
}
inline float world_to_scene(float coordinate) { return coordinate / WORLD_SCALE - 1.0f; }

// What the game's bodies differ in; all of them are one box fixture.
struct BoxBodyDef {
  b2BodyType type = b2_staticBody;
  b2Vec2 position{0.0f, 0.0f};
  float angle = 0.0f;  // radians
  float half_width = 0.0f, half_height = 0.0f;  // world units
  float density = 0.0f, friction = 0.0f, restitution = 0.0f;
  uint16_t category = 0x0001, mask = 0xffff;
  bool fixed_rotation = false;
  bool bullet = false;
  void* user_data = nullptr;
};

b2Body* create_box_body(b2World* world, const BoxBodyDef& def);

// The game object a body belongs to (a stone), or null.
inline void* body_user_data(b2Body* body) {
  return reinterpret_cast<void*>(body->GetUserData().pointer);
}
inline void set_body_user_data(b2Body* body, void* data) {
  body->GetUserData().pointer = reinterpret_cast<uintptr_t>(data);
}

// Frees the surface and the sprite that an image object made under its own name, so that objects
// that come and go do not pile pictures up in the driver.
void release_picture(const std::string& video_name, const std::string& name, const std::string& group);

// The first steps of every game object's load: keep the object's identity, then find its
// configuration; null (with the object's error set) when there is none.
Config_Interface* start_object_load(SceneObject* object, const std::string& storage_name,
                                    const std::string& storage_prefix, const std::string& scene_name,
                                    const std::string& object_name);

// Deletes an object that never made it into a scene; its load may have registered slots already.
void discard_object(SceneObject* object);

class PhysScene : public Scene {
public:
  PhysScene();
  ~PhysScene() override;

  bool load_scene() override;
  bool draw() override;

  // One world step with the scene's settings, then the forces cleared. draw() calls it when a
  // step is due; tests call it to advance the world frame by frame.
  void step_world();

  b2World* get_world() const { return world; }
  float get_gravity_x() const { return gravity_x; }
  float get_gravity_y() const { return gravity_y; }
  float get_time_step() const { return time_step; }
  int get_velocity_iterations() const { return velocity_iterations; }
  int get_position_iterations() const { return position_iterations; }
  std::string get_level_file() const { return level_file; }

  BaseStone* get_selected_stone() const { return selected_stone; }
  void set_selected_stone(BaseStone* stone) { selected_stone = stone; }

private:
  bool load_level();

  b2World* world;
  float gravity_x, gravity_y;
  float time_step;
  int velocity_iterations, position_iterations;
  Time frame_timer;
  std::string level_file;
  BaseStone* selected_stone;
};
