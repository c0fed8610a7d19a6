// Pegfall as its player meets it: the game sdk_install_test built against the installed SDK,
// started in its folder on the private X server and played with real clicks from its start menu.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "process.h"
#include "x_window.h"
#include "xserver.h"

using namespace test_support;

namespace {

const std::string SCRATCH = std::string(TARNVALE_BINARY_DIR) + "/tests/sdk/install-test";

// Clicks at (x, y) until the game has said `line` `times` times in all: a click before the
// scene shows, or a press while a ball is in play, does nothing.
bool click_until(ChildProcess& game, const std::string& window, float x, float y,
                 const std::string& line, int times = 1) {
  for (int press = 0; press < 10; ++press) {
    click(window, x, y);
    if (wait_for_output(game, line, 8, times)) return true;
  }
  return false;
}

TEST(PegfallPlay, FromTheStartMenuThroughItsFiveBallsToGameOverAndAgain) {
  REQUIRE_X_SERVER();
  const std::string folder = SCRATCH + "/pegfall";
  ASSERT_TRUE(std::filesystem::exists(folder + "/lib/libpegfall.so")) << "sdk_install_test builds it";
  // The windowless run left its driver in; the player's window comes back.
  std::filesystem::copy_file(std::string(TARNVALE_SOURCE_DIR) + "/examples/pegfall/cfg/Video.cfg",
                             folder + "/cfg/Video.cfg",
                             std::filesystem::copy_options::overwrite_existing);
  ChildProcess game;
  ASSERT_TRUE(game.start({INSTALLED_PROGRAM}, folder,
                         {"ASAN_OPTIONS=detect_leaks=0"}));
  const std::string window = find_window("Pegfall", 60);
  ASSERT_FALSE(window.empty()) << game.err();

  ASSERT_TRUE(click_until(game, window, 0.0f, -0.1f, "Pegfall: a new game")) << game.out();
  const float aims[] = {0.05f, -0.3f, 0.42f, -0.61f, 0.2f};
  for (int ball = 1; ball <= 5; ++ball)
    ASSERT_TRUE(click_until(game, window, aims[ball - 1], 0.8f,
                            "Pegfall: ball " + std::to_string(ball) + " lit"))
        << game.out() << game.err();
  ASSERT_TRUE(wait_for_output(game, "Pegfall: game over, score ", 10)) << game.out();

  // Play again: a fresh field, whose first ball counts from 1 again.
  ASSERT_TRUE(click_until(game, window, 0.0f, -0.52f, "Pegfall: a new game", 2)) << game.out();
  // The game over screen entered the game among Pegfall's own best scores.
  const std::string out = game.out();
  const size_t at = out.find("Pegfall: game over, score ") + 26;
  const std::string score = out.substr(at, out.find('\n', at) - at);
  const char* data_home = std::getenv("XDG_DATA_HOME");
  ASSERT_NE(data_home, nullptr) << "ctest gives every test a data folder of its own";
  std::ifstream scores(std::string(data_home) + "/pegfall/scores.cfg");
  const std::string kept((std::istreambuf_iterator<char>(scores)), std::istreambuf_iterator<char>());
  EXPECT_NE(kept.find("score " + score + "\n"), std::string::npos) << kept;
  EXPECT_TRUE(click_until(game, window, 0.1f, 0.8f, "Pegfall: ball 1 lit", 2)) << game.out();

  ASSERT_TRUE(request_close(window));
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0) << game.err();
}

}  // namespace
