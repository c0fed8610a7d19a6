#pragma once
// Progress lines (what start-up and play are doing) go to standard output, and the developer's
// traces to standard error, unless the program runs quiet (`tarnvale -q`). The program makes
// that choice before it loads any plug-in and hands it on through the environment variable
// TARNVALE_QUIET ("1"), so that the program, its libraries and its plug-ins, each with its own
// copy of this header, agree on it.

#include <cstdlib>
#include <iostream>

namespace tarnvale {

inline bool progress_quiet() {
  const char* quiet = std::getenv("TARNVALE_QUIET");
  return quiet != nullptr && quiet[0] == '1' && quiet[1] == '\0';
}

// A stream without a buffer: it drops what it is given.
inline std::ostream& dropped_stream() {
  static std::ostream dropped(nullptr);
  return dropped;
}

// Standard output, or, when quiet, the dropped stream.
inline std::ostream& progress_out() { return progress_quiet() ? dropped_stream() : std::cout; }

// The developer's traces on standard error (where a wall lies, each picture loaded, each stone
// removed), or, when quiet, the dropped stream: quiet leaves errors and warnings only.
inline std::ostream& trace_err() { return progress_quiet() ? dropped_stream() : std::cerr; }

}  // namespace tarnvale
