#pragma once
// The game program's three log line forms, reported through the diagnostics sink, which prints
// them as "INFO:" on standard output and "CRITICAL ERROR at ..." / "DEBUG MESSAGE at ..." on
// standard error.

#include "tarnvale/diagnostics.h"

#define GAME_INFO(message)                                                                       \
  TARNVALE_REPORT(::tarnvale::diagnostic_here(::tarnvale::Severity::info, ::tarnvale::Voice::game, \
                                              TARNVALE_FILE, __LINE__),                          \
                  message)

#define GAME_CRITICAL(function, message)                                                          \
  TARNVALE_REPORT(::tarnvale::diagnostic_here(::tarnvale::Severity::error, ::tarnvale::Voice::game, \
                                              TARNVALE_FILE, __LINE__, function),                 \
                  message)

#define GAME_DEBUG(function, message)                                                             \
  TARNVALE_REPORT(::tarnvale::diagnostic_here(::tarnvale::Severity::debug, ::tarnvale::Voice::game, \
                                              TARNVALE_FILE, __LINE__, function),                 \
                  message)
