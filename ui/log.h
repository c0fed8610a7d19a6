#pragma once
// The library's log line: "Panolet(" + source file + ":" + line + "(" + function + ")" + message.

#include <iostream>
#include <string>

#include "tarnvale/source_name.h"

inline void panolet_log(const char* file, int line, const char* function,
                        const std::string& message, bool end_line = true) {
  std::cerr << "Panolet(" << file << ":" << line << "(" << function << ")" << message;
  if (end_line)
    std::cerr << std::endl;
  else
    std::cerr.flush();
}

#define PANOLET_LOG(function, message) panolet_log(TARNVALE_FILE, __LINE__, function, message)
// "Error with config" is written without a line end.
#define PANOLET_LOG_NO_EOL(function, message) \
  panolet_log(TARNVALE_FILE, __LINE__, function, message, false)
