#pragma once
// The engine started once per process on a private X server, with the working directory at the
// source tree (data is read relative to it) and a file manager on the file system.

#include <functional>
#include <string>

#include "brannow/brannow.h"

namespace game_test {

// Prepares the above and runs `start` with the file manager, once per process; later calls
// answer what the first did. `start` returns "" or what failed.
bool start_once(const std::function<std::string(Brannow::FileManager*)>& start, std::string* error);

// start_once with the engine as the game's suites use it: the OpenGL driver "Video" (800 x 600,
// windowed, no frame limit), the PNG loader, the TrueType renderer with the font "Font0", the
// scene manager and "GameScene".
bool start_game_engine(std::string* error);
Brannow::FileManager* engine_files();

}  // namespace game_test
