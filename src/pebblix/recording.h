#pragma once
// Recording a game played in the window, and the identities a replay must match to be played.

#include <fstream>
#include <string>

#include "replay_file.h"
#include "voskar/scenemanager.h"

// The build of the program: the linker's build ids of the program and of the engine's libraries
// loaded so far (call it before the plug-ins load), folded into one hexadecimal number. Libraries
// of the system are left out, so a player's replay plays on the developer's machine.
std::string build_identity();
// FNV-1a over the names and contents of every file under cfg/ and res/ of the working
// directory, in name order, in hexadecimal.
std::string data_checksum();

// Writes the game to a replay file as it runs: the header at once, then each frame's time and
// events. The game clock is the stepped one, moved on at each frame's end by the time the frame
// took on the wall clock (rounded as a replay rounds it), so the replay reads the same times.
class Recorder : public RunObserver {
public:
  // false with the reason in *error when the file cannot be written.
  bool open(const std::string& path, const ReplayHeader& header, std::string* error);
  void frame_ended() override;
  void event_taken(const Event& event) override;

private:
  std::ofstream out_;
  long frame_ = 0;
  double last_wall_ = 0;
};

// Reads a replay and compares its build and data with the running ones. false with one line in
// *error naming the file and what differs.
bool check_replay(const std::string& path, ReplayHeader* header, std::string* error);
