#pragma once
// The scene list and the run loop: what turns a set of scenes into a running program.

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
// each event the pump then takes from the video device. Null (the default) sees nothing.
class RunObserver {
public:
  virtual ~RunObserver() = default;
  // Right after the video device's _flip.
  virtual void frame_ended() = 0;
  // Each event, quit included, before it is acted on.
  virtual void event_taken(const Event& event) = 0;
};
void set_run_observer(RunObserver* observer);

// Asks for a switch at the end of the current cycle ("exit" ends the loop).
void set_next_scene(std::string name);

// Asks for a switch to the scene made anew: at the end of the cycle the scene is discarded
// with everything in it, then created and loaded again from its entry of the scene list. Also
// for the current scene. A name the scene list does not hold is switched to as usual.
void set_next_scene_fresh(std::string name);

// The scene of that name, or null.
Scene* get_scene(std::string name);
