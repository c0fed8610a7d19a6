// The shipped menus through the real program: start screen, how-to-play window with its check
// box, the name field, the game, its pause, back and Continue, a game to its end, New game,
// the best scores, Esc out of the menus, New game asking first, and quit, with the mouse and keys of xdotool.

#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
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

void press(const std::string& window, const std::string& key) {
  test_support::run_process({"xdotool", "key", "--window", window, key}, ".", 20);
}

// Places of the start screen's buttons and fields.
const float NAME_FIELD = 0.38f, CONTINUE = 0.18f, NEW_GAME = 0.005f, BEST_SCORES = -0.17f, HOW_TO_PLAY = -0.345f,
            QUIT = -0.695f;

// Runs the game in the folder (its cfg/ and res/, its data/ as the player's) until its start
// screen is up; the window's id, empty when it did not come.
std::string start_at_start_screen(const test_support::ScratchDir& folder, test_support::ChildProcess* game) {
  std::vector<std::string> env = GAME_ENV;
  env.push_back("XDG_DATA_HOME=" + folder.file("data"));
  if (!game->start({test_support::built_program("tarnvale")}, folder.path(), env) ||
      !wait_for_output(*game, "quitbaseimage loaded", 60)) {
    ADD_FAILURE() << "the start screen did not come: " << game->err();
    return "";
  }
  const std::string window = find_window(30);
  wait_seconds(0.5);
  return window;
}
}  // namespace

TEST(MenuFlow, FromTheStartScreenIntoTheGameBackAndOut) {
  REQUIRE_X_SERVER();
  test_support::ScratchDir folder;
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  test_support::ChildProcess game;
  const std::string window = start_at_start_screen(folder, &game);
  ASSERT_FALSE(window.empty());

  click(window, 0, HOW_TO_PLAY);
  ASSERT_TRUE(wait_for_output(game, "how_to_play_window loaded", 30)) << game.err();
  wait_seconds(0.5);
  click(window, -0.315f, -0.294f);  // "Show frame rate"
  click(window, 0, -0.546f);        // "Close"

  click(window, 0, NAME_FIELD);
  test_support::run_process({"xdotool", "type", "--window", window, "--delay", "50", "Ada"}, ".", 20);
  click(window, 0, NEW_GAME);
  ASSERT_TRUE(wait_for_output(game, "backbaseimage loaded", 60)) << game.err();
  wait_seconds(2.5);
  press(window, "p");
  ASSERT_TRUE(wait_for_output(game, "INFO:Paused", 20)) << game.out();
  press(window, "Escape");
  ASSERT_TRUE(wait_for_output(game, "INFO:Resumed", 20)) << game.out();

  click(window, 0.8f, 0.9f);   // "Menu"
  wait_seconds(0.5);
  click(window, 0, CONTINUE);  // shown: the game runs
  wait_seconds(1);
  press(window, "p");
  ASSERT_TRUE(wait_for_output(game, "INFO:Paused", 20, 2)) << "Continue did not lead back to the game";
  click(window, 0.8f, 0.9f);   // "Menu"
  wait_seconds(0.5);
  // New game while the game runs asks first: Esc keeps the game, then "Start a new game".
  click(window, 0, NEW_GAME);
  ASSERT_TRUE(wait_for_output(game, "confirm_window loaded", 30)) << game.err();
  wait_seconds(0.5);
  press(window, "Escape");
  wait_seconds(0.5);
  EXPECT_EQ(count_of(game.out(), "LEVEL DATA ENDED"), 1) << "Continue resumed the same game";
  click(window, 0, NEW_GAME);
  wait_seconds(0.5);
  click(window, 0, -0.14f);  // the window's "Start a new game"
  ASSERT_TRUE(wait_for_output(game, "LEVEL DATA ENDED", 60, 2)) << game.err();
  wait_seconds(1);
  click(window, 0.8f, 0.9f);   // "Menu"
  wait_seconds(0.5);
  click(window, 0, QUIT);
  ASSERT_TRUE(game.wait(30)) << "the program did not end: " << game.err();
  EXPECT_EQ(game.exit_code(), 0) << game.err();
  EXPECT_EQ(game.err().find("Can't load object"), std::string::npos) << game.err();

  // The name and the check box are remembered for the next run.
  const std::string settings = folder.read("data/tarnvale/settings.cfg");
  EXPECT_THAT(settings, ::testing::HasSubstr("PlayerName Ada\n"));
  EXPECT_THAT(settings, ::testing::HasSubstr("ShowFrameRate 1\n"));
}

TEST(MenuFlow, AGameToItsEndThenANewOneAndTheBestScores) {
  REQUIRE_X_SERVER();
  test_support::ScratchDir folder;
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  // A low line: the first pile reaches it within seconds.
  std::string scene = folder.read("res/game/game.scn");
  scene.replace(scene.find("gameOverLine 0.55"), 17, "gameOverLine -0.4");
  folder.write("res/game/game.scn", scene);
  folder.write("data/tarnvale/settings.cfg", "[Settings]\n\tPlayerName Grace\n[/]\n");
  test_support::ChildProcess game;
  const std::string window = start_at_start_screen(folder, &game);
  ASSERT_FALSE(window.empty());

  for (int round = 1; round <= 2; ++round) {
    if (round == 1)
      click(window, 0, NEW_GAME);
    else
      click(window, -0.294f, -0.434f);  // the window's "New game"
    ASSERT_TRUE(wait_for_output(game, "INFO:LEVEL DATA ENDED", 60, round)) << "round " << round;
    ASSERT_TRUE(wait_for_output(game, "INFO:Game over, score ", 120, round)) << "round " << round << game.out();
    wait_seconds(1);
  }
  click(window, 0.294f, -0.434f);  // the window's "Menu"
  wait_seconds(0.5);
  // Esc leaves the best scores and the how-to-play window: the clicks after it reach the menu.
  click(window, 0, BEST_SCORES);
  wait_seconds(1);
  press(window, "Escape");
  wait_seconds(0.5);
  click(window, 0, HOW_TO_PLAY);
  ASSERT_TRUE(wait_for_output(game, "how_to_play_window loaded", 30)) << game.err();
  wait_seconds(0.5);
  press(window, "Escape");
  wait_seconds(0.5);
  click(window, 0, QUIT);
  ASSERT_TRUE(game.wait(30)) << "the program did not end: " << game.err();
  EXPECT_EQ(game.exit_code(), 0) << game.err();

  // Games without a click score nothing, and such a score is no best score.
  EXPECT_EQ(count_of(game.out(), "INFO:Game over, score 0\n"), 2) << game.out();
  EXPECT_FALSE(std::filesystem::exists(folder.file("data/tarnvale/scores.cfg")));
}

// The window going away without a close request ends the run as Quit does: exit code 0.
TEST(MenuFlow, AWindowDestroyedOrItsClientKilledEndsTheProgramNormally) {
  REQUIRE_X_SERVER();
  for (const bool kill_client : {false, true}) {
    test_support::ScratchDir folder;
    folder.copy_from_source("cfg");
    folder.copy_from_source("res");
    test_support::ChildProcess game;
    const std::string window = start_at_start_screen(folder, &game);
    ASSERT_FALSE(window.empty());
    if (kill_client)
      test_support::run_process({"xdotool", "windowkill", window}, ".", 20);
    else
      ASSERT_TRUE(test_support::destroy_window(window));
    ASSERT_TRUE(game.wait(30)) << "the program did not end; killed: " << kill_client;
    EXPECT_EQ(game.exit_code(), 0) << "killed: " << kill_client << "\n" << game.err();
  }
}
