#pragma once
#include <string>

namespace test_support {

// Starts one private Xvfb (1024x768, 24 bits) for this test process, the first time it is called,
// and points DISPLAY at it, so suites that click and type do not disturb each other. The server
// ends with the process. False with a reason when no server can be started.
bool ensure_x_server(std::string* error = nullptr);

// The DISPLAY value of the private server ("" before ensure_x_server succeeded).
std::string x_display();

}  // namespace test_support

// Skips the current test when no X server can be had (a test that needs one cannot run).
#define REQUIRE_X_SERVER()                                            \
  do {                                                                \
    std::string x_error__;                                            \
    if (!test_support::ensure_x_server(&x_error__))                   \
      GTEST_SKIP() << "no X server: " << x_error__;                   \
  } while (0)
