#pragma once
// One way to make an object from data and one way to let it go. Every load begins with the same
// prologue; an object is made from data by make_object; every object goes by dispose_object.

#include <functional>
#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "voskar/sceneobject.h"

class Scene;

// Where an object's data is: the configuration and the prefix of its keys, and the names it is
// known by.
struct ObjectOrigin {
  Scene* scene = nullptr;
  std::string video_name;
  std::string storage_name;    // the configuration its keys are in
  std::string storage_prefix;  // "Objects->name->"
  std::string scene_name;
  std::string object_name;
  Brannow::FileManager* file_manager = nullptr;
};

enum class CommonKeys {
  read,     // the keys every object has and its signals (SceneObject::load)
  skipped,  // only the identity: the caller reads or sets the rest
};

// The prologue of every load: keeps the object's identity, finds its configuration and reads
// the common keys unless told otherwise. Null, with the object's error set, when there is no
// configuration or the common keys leave the object out.
Config_Interface* begin_object_load(SceneObject* object, Scene* scene,
                                    const std::string& storage_name,
                                    const std::string& storage_prefix,
                                    const std::string& scene_name, const std::string& object_name,
                                    Brannow::FileManager* file_manager,
                                    CommonKeys common = CommonKeys::read);

// For a type that reads keys of its own after its base class's load: the configuration that load
// read from, or null when it failed (`loaded` false).
Config_Interface* after_base_load(bool loaded, SceneObject* object);

// For an object the data alone does not describe (a stone the emitter places, a button's
// caption): sets what the caller decides and finishes the load; false with the object's error
// set when it fails.
using ObjectCompletion = std::function<bool(SceneObject* object)>;

struct MadeObject {
  SceneObject* object = nullptr;  // null when it could not be made
  bool unknown_type = false;      // no fabric of that type, or not of the class asked for
  bool common_keys_read = false;  // with a completion: the prologue passed, the completion failed
  std::string error;              // "No object of type ..." or the object's own error text
};

// Makes an object of a registered type from data: the fabric's object, its video, then its own
// load, or with `complete` the prologue followed by `complete`. A half-made object is disposed
// of. The caller adds the object to its scene.
MadeObject make_object(const std::string& type, const ObjectOrigin& origin,
                       const ObjectCompletion& complete = {});

// make_object for a type whose class the caller knows: the completion gets the object as T; an
// object of another class counts as an unknown type.
template <typename T, typename Complete>
MadeObject make_object_of(const std::string& type, const ObjectOrigin& origin, Complete complete) {
  bool of_class = true;
  MadeObject made = make_object(type, origin, [&](SceneObject* object) {
    T* typed = dynamic_cast<T*>(object);
    of_class = typed != nullptr;
    return of_class && complete(typed);
  });
  if (!of_class) made.unknown_type = true;
  return made;
}

// The one way a scene goes: it lets go of its slots and its objects first, so that nothing in the
// slot registry points at them any more, then it is deleted.
void dispose_scene(Scene* scene);

// The one way an object goes: out of its scene when the scene holds it, its connections and slots
// released, then deleted. Also for an object that never joined a scene (a failed load).
void dispose_object(SceneObject* object);
