#pragma once
// The playing piece: an image whose place and collision box come from a dynamic body. Two clicks
// swap two touching stones; a swap stands only when it makes a group of three of one kind, and
// every such group leaves the field in bursts of particles.

#include <box2d/box2d.h>

#include <string>
#include <vector>

#include "stone_motion.h"
#include "twinkel/signals.h"
#include "voskar/image.h"

class PhysScene;

class BaseStone : public virtual Image {
public:
  BaseStone();
  ~BaseStone() override;

  bool slot__on_activate(SlotArgs* args) override;
  bool slot__on_mouse_release(SlotArgs* args) override;
  bool load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
            std::string object_name, Brannow::FileManager* file_manager) override;
  void draw() override;
  bool _is_point_in_object(float x, float y) override;

  bool real_load(Scene* scene, std::string storage_name, std::string storage_prefix, std::string scene_name,
                 std::string object_name, Brannow::FileManager* file_manager);
  bool _on_mouse_release_handler();
  void _run_particles();

  // The bodies of the face-touching stones of the given type reachable from start (start itself
  // included once the group has two stones or more).
  static std::vector<b2Body*> find_group(b2Body* start, int type);
  // Whether exchanging the kinds of the two stones would make a group at either place.
  static bool swap_makes_group(BaseStone* a, BaseStone* b);
  // Whether the other stone is near enough for a swap (logged as the click's comparison).
  bool next_to(BaseStone* other, bool log = false);

  int _get_type() const { return type; }
  void _set_type(int value) { type = value; }
  float _get_density() const { return density; }
  void _set_density(float value) { density = value; }
  float _get_friction() const { return friction; }
  void _set_friction(float value) { friction = value; }
  float _get_restitution() const { return restitution; }
  void _set_restitution(float value) { restitution = value; }
  b2Body* _get_body() const { return body; }

  // Takes the stone out of the game for good (selection, body, scene, slots, pictures) and
  // deletes it.
  void remove_from_game();

  // The picture's offset from the body while the stone travels or shakes (scene units).
  b2Vec2 picture_offset() const { return motion.offset(); }
  // A paused game holds the stone's motion.
  void delay_clocks(double seconds) override { motion.delay(seconds); }

private:
  PhysScene* phys_scene() const;
  // Larger and smaller side of the sprite, in scene units.
  float larger_side();
  float smaller_side();
  void set_blend(float shade);
  void swap_bodies(BaseStone* other);
  void disconnect_release(BaseStone* other);
  // The swap's feedback: the stones travel to their new places, or shake where they are.
  void show_swap(BaseStone* other, bool stood);
  // The colour of the stone's picture, for its burst.
  bool picture_colour(int* red, int* green, int* blue);

  Slot<BaseStone> activate_slot;
  Slot<BaseStone> release_slot;
  int type;
  float density;
  float friction;
  float restitution;
  b2Body* body;
  Brannow::FileManager* file_manager;
  float sprite_width, sprite_height;  // scene units, taken when the body is made
  StoneMotion motion;
};

// Stone with the given body, or null for walls, particles and foreign bodies.
BaseStone* stone_of(b2Body* body);
