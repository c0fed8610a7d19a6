#pragma once
// The engine as the program starts it, once per process: a private X server, the working
// directory at the source tree (data is read relative to it), the OpenGL driver "Video"
// (800 x 600, windowed, no frame limit), the PNG loader, the TrueType renderer with the font "Font0", the scene manager and "GameScene".

#include <string>

#include "brannow/brannow.h"

namespace game_test {

bool start_game_engine(std::string* error);
Brannow::FileManager* engine_files();

}  // namespace game_test
