#pragma once
// The real program in a folder of its own: data copied from the source tree and changed by the
// test, real X input, the window's close request and the process's memory.

#include <string>
#include <vector>

#include "process.h"
#include "scratch.h"

namespace game_test {

// The program keeps its scenes, configurations and plug-ins to the end on purpose, and the GL
// driver's own allocations go with modules unloaded at exit: leaks are looked for in-process.
const std::vector<std::string> GAME_ENV = {"ASAN_OPTIONS=detect_leaks=0"};

// Copies cfg/ and res/ into the folder; Game.cfg then starts with the scene "game".
void prepare_game_folder(const test_support::ScratchDir& folder);

// Waits until the child's standard output or error holds the text; false after timeout seconds.
bool wait_for_output(test_support::ChildProcess& child, const std::string& text, double timeout_seconds);

// The game's window on the private X server ("" when none shows up).
std::string find_window(double timeout_seconds);
// A left click at the normalised point (x, y) of the 800 x 600 window.
void click(const std::string& window, float x, float y);
// What a window manager sends when the player closes the window.
void request_close(const std::string& window);

// Resident memory of a process in kB (0 when it is gone).
long resident_kb(int pid);

int count_of(const std::string& text, const std::string& part);

}  // namespace game_test
