#pragma once
// The real program in a folder of its own: data copied from the source tree and changed by the
// test, real X input, the window's close request and the process's memory.

#include <string>
#include <vector>

#include "process.h"
#include "scratch.h"
#include "x_window.h"

namespace game_test {

// The program keeps its scenes, configurations and plug-ins to the end on purpose, and the GL
// driver's own allocations go with modules unloaded at exit: leaks are looked for in-process.
const std::vector<std::string> GAME_ENV = {"ASAN_OPTIONS=detect_leaks=0"};

// Copies cfg/ and res/ into the folder; Game.cfg then starts with the given scene.
void prepare_game_folder(const test_support::ScratchDir& folder, const std::string& start_scene = "game");

// Cfg/Video.cfg of the folder then runs the windowless driver for the frames, with the input file
// input.txt and the trace file trace.txt; false when the file names no OpenGL driver to replace.
bool use_headless_driver(const test_support::ScratchDir& folder, int frames);

using test_support::click;
using test_support::count_of;
using test_support::request_close;
using test_support::wait_for_output;

// The game's window on the private X server ("" when none shows up).
inline std::string find_window(double timeout_seconds) {
  return test_support::find_window("Tarnvale", timeout_seconds);
}

// Resident memory of a process in kB (0 when it is gone).
long resident_kb(int pid);

}  // namespace game_test
