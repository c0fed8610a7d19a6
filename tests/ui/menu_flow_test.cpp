// The shipped menus through the real program: start screen, how-to-play window with its check
// box, the name field, the game and back, and quit, with the mouse and keys of xdotool.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "game_process.h"
#include "process.h"
#include "scratch.h"
#include "xserver.h"

using namespace game_test;

namespace {
void wait_seconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
}  // namespace

TEST(MenuFlow, FromTheStartScreenIntoTheGameBackAndOut) {
  REQUIRE_X_SERVER();
  test_support::ScratchDir folder;
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  test_support::ChildProcess game;
  ASSERT_TRUE(game.start({test_support::built_program("tarnvale")}, folder.path(), GAME_ENV));
  ASSERT_TRUE(wait_for_output(game, "quitbaseimage loaded", 60)) << game.err();
  const std::string window = find_window(30);
  ASSERT_FALSE(window.empty());
  wait_seconds(0.5);

  click(window, 0, -0.24f);  // "How to play"
  ASSERT_TRUE(wait_for_output(game, "how_to_play_window loaded", 30)) << game.err();
  wait_seconds(0.5);
  click(window, -0.315f, -0.294f);  // "Show frame rate"
  click(window, 0, -0.546f);        // "Close"

  click(window, 0, 0.24f);  // the name field
  test_support::run_process({"xdotool", "type", "--window", window, "--delay", "50", "Ada"}, ".", 20);
  click(window, 0, 0);  // "Play"
  ASSERT_TRUE(wait_for_output(game, "backbaseimage loaded", 60)) << game.err();
  wait_seconds(2.5);

  click(window, 0.8f, 0.9f);   // "Menu"
  wait_seconds(0.5);
  click(window, 0, -0.48f);    // "Quit"
  ASSERT_TRUE(game.wait(30)) << "the program did not end: " << game.err();
  EXPECT_EQ(game.exit_code(), 0) << game.err();
  EXPECT_EQ(game.err().find("Can't load object"), std::string::npos) << game.err();
}
