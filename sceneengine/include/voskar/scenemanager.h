#pragma once
// The scene list and the run loop: what turns a set of scenes into a running program.

#include <functional>
#include <set>
#include <string>

#include "brannow/brannow.h"
#include "olvane/video.h"
#include "voskar/fabric.h"
#include "voskar/scene.h"
#include "voskar/sceneobject.h"

// Registers the library's object types ("Image", "Text", "Timer", "Sound") and scene type ("generic"),
// names the input signals of the video device and enables its input events.
void init(std::string video_name);

// Reads the scene list file and creates (and, with "preload", loads) every scene it names.
// false at the first scene that cannot be created or preloaded; the ones before it stay.
bool load_scenes(std::string file, std::string video_name, Brannow::FileManager* file_manager);

// Runs the main cycle from the named scene; returns when the next scene becomes "exit" or a
// scene cannot be found, loaded or drawn.
void process_scene(std::string name);

// Sees the run loop from outside, as a recorder of the game does: the end of each frame, and
// each event the pump then takes from the video device.
class RunObserver {
public:
  virtual ~RunObserver() = default;
  // Right after the video device's _flip.
  virtual void frame_ended() = 0;
  // Each event, quit included, before it is acted on.
  virtual void event_taken(const Event& event) = 0;
};
// Observers are told in the order they were added; none by default.
void add_run_observer(RunObserver* observer);
void remove_run_observer(RunObserver* observer);

// Asks for a switch at the end of the current cycle ("exit" ends the loop).
void set_next_scene(std::string name);

// Asks for a switch to the scene made anew: at the end of the cycle the scene is discarded
// with everything in it, then created and loaded again from its entry of the scene list. Also
// for the current scene. A name the scene list does not hold is switched to as usual.
void set_next_scene_fresh(std::string name);

// Asks for every scene to be made anew from its data at the end of the cycle, with the scene
// list file read again first when `reread_list`: the current scene (or, when the list no
// longer holds it, the scene the run began with) is loaded and entered again, the others load
// when next entered. The configurations their loads made go with them; those made before the
// first scene list loaded stay. `while_no_scene` (when given) runs once the old scenes are gone
// and before any is made anew: for what must not change under a living scene.
void renew_all_scenes(bool reread_list, std::function<void()> while_no_scene = nullptr);

// Asks for the scenes named to be made anew from their data, with the configurations their
// loads made: the current one (true then) is loaded and entered again at the end of the
// cycle, each other one before it is next entered. The others keep their state.
bool renew_scenes(const std::set<std::string>& names);

// The scene whose data is read now: the one that loads, else the current one ("" before the
// run): files opened then are that scene's data.
std::string scene_reading_data();

// The scene of that name, or null.
Scene* get_scene(std::string name);
