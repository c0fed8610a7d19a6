#pragma once
// Progress lines (what start-up and play are doing) go to standard output unless the program
// runs quiet (`tarnvale -q`). The program makes that choice before it loads any plug-in and
// hands it on through the environment variable TARNVALE_QUIET ("1"), so that the program, its
// libraries and its plug-ins, each with its own copy of this header, agree on it.

#include <cstdlib>
#include <iostream>

namespace tarnvale {

inline bool progress_quiet() {
  const char* quiet = std::getenv("TARNVALE_QUIET");
  return quiet != nullptr && quiet[0] == '1' && quiet[1] == '\0';
}

// Standard output, or, when quiet, a stream without a buffer that drops what it is given.
inline std::ostream& progress_out() {
  static std::ostream dropped(nullptr);
  return progress_quiet() ? dropped : std::cout;
}

}  // namespace tarnvale
