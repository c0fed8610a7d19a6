#pragma once
// The game program's three log line forms. Each line is flushed (std::endl) so that the lines of
// both streams keep their order when a person or a test reads them.

#include <iostream>

#include "tarnvale/progress_log.h"
#include "tarnvale/source_name.h"

// A progress line: dropped when the program runs quiet.
#define GAME_INFO(message) (tarnvale::progress_out() << "INFO:" << message << std::endl)

#define GAME_CRITICAL(function, message)                                                    \
  (std::cerr << "CRITICAL ERROR at " << TARNVALE_FILE << ":" << __LINE__ << "(" << function << "):" \
             << message << std::endl)

#define GAME_DEBUG(function, message)                                                      \
  (std::cerr << "DEBUG MESSAGE at " << TARNVALE_FILE << ":" << __LINE__ << "(" << function << "):" \
             << message << std::endl)
