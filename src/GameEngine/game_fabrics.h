#pragma once
// The program's fabrics: one instance of each for the whole process.

#include <string>

#include "voskar/object_from_data.h"

class SceneFabric;

// Registers "BaseStone", "Border", "StoneEmitter", "StoneParticles" and "ScoreTable", in this
// order; names registered before keep their first fabric.
void register_game_object_fabrics();

// The fabric of the scene type "GameScene".
SceneFabric* game_scene_fabric();

// The object of class T that make_object_of made for the field (a stone, a burst), or null with
// the text of its critical line in *failure: `not_found` when the type has no fabric, else the
// object's error, after the words for a common prologue that failed.
template <typename T>
T* made_for_field(const MadeObject& made, const char* not_found, std::string* failure) {
  if (made.unknown_type) {
    *failure = not_found;
    return nullptr;
  }
  T* object = dynamic_cast<T*>(made.object);
  if (!object) *failure = (made.common_keys_read ? "" : "Unable to load SceneObject subobject: ") + made.error;
  return object;
}
