#pragma once
// The library's log line: "Panolet(" + source file + ":" + line + "(" + function + ")" + message,
// reported through the diagnostics sink.

#include <string>

#include "tarnvale/diagnostics.h"

inline void panolet_log(const char* file, int line, const char* function,
                        const std::string& message, bool end_line = true) {
  tarnvale::Diagnostic record = tarnvale::diagnostic_here(
      tarnvale::Severity::error, tarnvale::Voice::panolet, file, line, function);
  record.text = message;
  record.ends_line = end_line;
  tarnvale::report(record);
}

#define PANOLET_LOG(function, message) panolet_log(TARNVALE_FILE, __LINE__, function, message)
// "Error with config" is written without a line end.
#define PANOLET_LOG_NO_EOL(function, message) \
  panolet_log(TARNVALE_FILE, __LINE__, function, message, false)
