#pragma once
// The playing piece: an image whose place and collision box come from a dynamic body. Its clicks
// go to the game scene, whose field model judges swaps and groups; the stone only draws.

#include <box2d/box2d.h>

#include <string>

#include "../../physscene/field_model.h"
#include "twinkel/signals.h"
#include "voskar/image.h"

class PhysScene;

// What an emitter decides for a stone it places; nothing of it comes from data.
struct StonePlacement {
  int kind = 0;
  std::string image_file;
  float x = 0.0f, y = 0.0f;  // absolute scene coordinates of the centre
  float density = 1.0f;
};

class BaseStone : public virtual Image, public FieldStone {
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
  // The rest of the load of a stone an emitter places, once the common keys are read (the
  // completion of make_object): its picture, then its body. False with the step that failed and
  // why in the error text.
  bool load_placed(const StonePlacement& placement, Brannow::FileManager* file_manager);
  // Tells the game scene of the click (also called by tests in place of a real click).
  bool _on_mouse_release_handler();

  int _get_type() const { return kind; }
  // A new kind may make a group with the neighbours: the stone settles anew.
  void _set_type(int value) {
    kind = value;
    settled_in = 0;
  }
  float _get_density() const { return density; }
  void _set_density(float value) { density = value; }
  float _get_friction() const { return friction; }
  void _set_friction(float value) { friction = value; }
  float _get_restitution() const { return restitution; }
  void _set_restitution(float value) { restitution = value; }
  b2Body* _get_body() const { return body; }

  // The stone no longer takes the mouse's releases (until it is pressed again).
  void disconnect_release();
  // The swap's feedback: the stones travel to their new places, or shake where they are.
  void show_swap(BaseStone* other, bool stood, float swap_seconds, float reject_seconds);
  void set_blend(float shade);
  // The colour of the stone's picture, for its burst.
  bool picture_colour(int* red, int* green, int* blue);
  // The body goes with the stone's removal: the caller destroys it.
  void forget_body() { body = nullptr; }

  // The picture's offset from the body while the stone travels or shakes (scene units).
  b2Vec2 picture_offset() const { return motion.offset(); }
  // A paused game holds the stone's motion.
  void delay_clocks(double seconds) override { motion.delay(seconds); }

private:
  Slot<BaseStone> activate_slot;
  Slot<BaseStone> release_slot;
  float density;
  float friction;
  float restitution;
};

// Stone with the given body, or null for walls, particles and foreign bodies.
inline BaseStone* stone_of(b2Body* body) { return static_cast<BaseStone*>(field_stone_of(body)); }
