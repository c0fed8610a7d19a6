#pragma once
// Scene and level files from arbitrary text, loaded on the windowless driver with the real
// object types, drawn for a few frames and torn down. Shared by the fuzz targets and the suite
// that replays their corpus; any crash, hang or runaway growth is the finding.

#include <string>

namespace scene_input {

// The text as a scene file of a generic scene.
void load_scene_text(const std::string& text);
// The text as the level file of a game scene (walls, loaded through PhysScene).
void load_level_text(const std::string& text);

}  // namespace scene_input
