#pragma once
// What the scene suites share: a windowless video device named "Video", the library initialised
// on it, a probe object type "Probe" that records what happens to it, and scene files written
// to a scratch folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "memory_video.h"
#include "olvane/video.h"
#include "scratch.h"
#include "probe.h"
#include "voskar/scenemanager.h"

namespace scene_kit {

// Once per process: file manager, memory video "Video", init("Video"), the "Probe" type.
void setup();
Brannow::FileManager* files();
MemoryVideo* video();
// A second memory device, "Other", for objects whose video name is not "Video".
MemoryVideo* other_video();

// Lines recorded by probes ("<object>:<what>"), oldest first; take_log() empties it.
std::vector<std::string>& log();
std::vector<std::string> take_log();

// A scene name no other test of the process uses (scene configurations live for the process).
std::string unique_name(const std::string& stem);

// Writes `content` as a scene file and makes a generic scene for it (not loaded). The caller
// owns the scene.
Scene* make_scene(const test_support::ScratchDir& dir, const std::string& name,
                  const std::string& content);

// Deactivates the scene, removes and deletes every object, then deletes the scene.
void destroy_scene(Scene* scene);

// The base of the scene fixtures: the kit set up, the probe log emptied, a scratch folder, and
// every scene made with add_scene destroyed after the test.
class SceneFixture : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // A scene (not loaded) under a fresh name made from `stem`, read from `content`.
  Scene* add_scene(const std::string& stem, const std::string& content);

  test_support::ScratchDir dir;
  std::vector<Scene*> scenes;
};

// A scene file: one "[Scene]" section listing (name, z level) entries, then the object sections
// given as they are.
std::string scene_file(const std::vector<std::pair<std::string, int>>& entries,
                       const std::string& object_sections, const std::string& scene_keys = "");
// One "[Objects]" entry: type plus raw inner lines.
std::string object_section(const std::string& name, const std::string& type,
                           const std::string& inner = "");

// Sprites the memory video drew in the last finished frame, separated by spaces.
std::string drawn_last_frame();
// Ends the frame on the memory video.
void flip();
// Events the memory video hands out at the given frame (counted by _flip calls).
void schedule(int frame, EVENT_TYPE type, float x = 0, float y = 0, int buttons = 0, int key = 0);
int frame();
// Events taken from the memory video with _get_event so far, empty polls included.
long events_taken();
bool mouse_shown();

// Log text with every number that directly follows a colon (source line numbers) as "#".
std::string masked(const std::string& text);

// Rises a pointer slot argument pack on a scene: floats x, y; integer button.
SlotArgs pointer_args(float x, float y, int button = MOUSE_BUTTON_LEFT);

}  // namespace scene_kit
