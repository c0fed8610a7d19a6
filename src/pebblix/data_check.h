#pragma once
// The checker's checks of the game's data at start-up: tarnvale-check's own code, run in a
// process of its own that is forked before the program loads anything, so that it loads the data
// as the checker does, beside the program's start-up, and leaves the program's engine alone.

#include <ostream>

class DataCheck {
public:
  DataCheck() = default;
  DataCheck(const DataCheck&) = delete;
  DataCheck& operator=(const DataCheck&) = delete;
  ~DataCheck();

  // Starts checking the working directory's data; false when no process could be made.
  bool start();
  // Waits for the check, writes its lines ("FILE:LINE: problem", or why it could not check) to
  // `out` and returns the checker's code: 0 clean, 1 problems found, 2 could not check.
  int finish(std::ostream& out);

private:
  int pid_ = -1;
  int from_child_ = -1;
};
