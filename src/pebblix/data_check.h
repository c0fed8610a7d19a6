#pragma once
// The checker's checks of the game's data at start-up and after saves: tarnvale-check's own code,
// run in a process of its own that is forked before the program loads anything, so that it loads
// the data as the checker does, beside the program, and leaves the program's engine alone.

#include <ostream>

#include "voskar/scenemanager.h"

class DataCheck {
public:
  DataCheck() = default;
  DataCheck(const DataCheck&) = delete;
  DataCheck& operator=(const DataCheck&) = delete;
  // A check never told to begin ends unchecked.
  ~DataCheck();

  // Makes the process that checks the working directory's data; it checks once told to (begin
  // or finish). false when no process could be made. load_video_driver as for
  // check_data_folder: false when the run loads cfg/Video.cfg's driver itself.
  bool start(bool load_video_driver);
  void begin();
  // Whether the check has ended: finish() then does not wait.
  bool ready() const;
  // Waits for the check, writes its lines ("FILE:LINE: problem", or why it could not check) to
  // `out` and returns the checker's code: 0 clean, 1 problems found, 2 could not check.
  int finish(std::ostream& out);

private:
  int pid_ = -1;
  int channel_ = -1;  // both ways: the byte that begins the check out, its lines back
  bool begun_ = false;
};

// The start-up check begun at the first frame's end, so that its process does not take the
// cores the start needs; its lines go to `out` at the end of the frame in which it ended, or at
// finish() (the run ended) at the latest.
class CheckAfterFirstFrame : public RunObserver {
public:
  CheckAfterFirstFrame(DataCheck& check, std::ostream& out) : check_(check), out_(out) {}
  void frame_ended() override;
  void event_taken(const Event&) override {}
  void finish();

private:
  DataCheck& check_;
  std::ostream& out_;
  bool done_ = false;
};

// Checks on request while the game runs (its engine loaded, so no fresh one to fork from): a
// process forked at start-up, before anything loads, forks a check of its own for each request.
class CheckServer {
public:
  CheckServer() = default;
  CheckServer(const CheckServer&) = delete;
  CheckServer& operator=(const CheckServer&) = delete;
  ~CheckServer();  // ends the server (after a check it runs)

  // Before anything loads; false when no process could be made. load_video_driver as for
  // DataCheck::start.
  bool start(bool load_video_driver);
  // Starts a check of the working directory's data; false when the server is gone or a check
  // runs already.
  bool request();
  // Whether the check requested has something to say: finish() then waits no longer than the
  // check takes to write it.
  bool ready() const;
  // As DataCheck::finish, for the check requested; 2 (and why) when the server went.
  int finish(std::ostream& out);

private:
  int pid_ = -1;
  int socket_ = -1;  // both ways: a request byte out, the check's lines and code back
  bool checking_ = false;
};
