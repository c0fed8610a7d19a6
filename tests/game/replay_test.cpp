// A game recorded in the real window under the private X server, clicked with xdotool, and
// played back on the windowless driver.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "game_process.h"
#include "stick_row.h"
#include "xserver.h"

using namespace game_test;
using ::testing::HasSubstr;

namespace {

// The lines that tell how the game went: groups and their scores, swaps, the end.
std::string course_of(const std::string& out) {
  std::istringstream lines(out);
  std::string course;
  for (std::string line; std::getline(lines, line);)
    if (line.rfind("INFO:Group of", 0) == 0 || line.rfind("INFO:Game over", 0) == 0 ||
        line.rfind("INFO:Dist>maxSize", 0) == 0 || line.find("removing object:") != std::string::npos ||
        line.find("same_type:") != std::string::npos)
      course += line + "\n";
  return course;
}

TEST(Replay, ARecordedWindowSessionPlaysBackTheSameGameWithoutAWindow) {
  REQUIRE_X_SERVER();
  test_support::ScratchDir folder;
  prepare_game_folder(folder);
  unsigned seed = 0;
  int swap_at = -1;
  seed_with_a_swap(&seed, &swap_at);
  ASSERT_GE(swap_at, 0);
  folder.write("res/game/game.scn", crafted_scene());
  const std::string program = test_support::built_program("tarnvale");

  test_support::ChildProcess game;
  ASSERT_TRUE(game.start({program, "--record", "game.rpl", "--seed", std::to_string(seed)}, folder.path(),
                         GAME_ENV));
  ASSERT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
  const std::string window = find_window(30);
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  click(window, stick_x(0), ROW_Y);  // too far apart: compared, nothing swapped
  click(window, stick_x(5), ROW_Y);
  click(window, stick_x(swap_at), ROW_Y);  // a swap that stands and bursts
  click(window, stick_x(swap_at + 1), ROW_Y);
  ASSERT_TRUE(wait_for_output(game, "removing object:", 20, 3)) << game.out() << game.err();
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  request_close(window);
  ASSERT_TRUE(game.wait(30));
  ASSERT_EQ(game.exit_code(), 0) << game.err();
  const std::string recorded = course_of(game.out() + game.err());
  ASSERT_THAT(recorded, HasSubstr("INFO:Group of 3 scores 3 (x1)\n"));

  const test_support::ProcessResult replay =
      test_support::run_process({program, "--replay", "game.rpl"}, folder.path(), 120, GAME_ENV);
  EXPECT_EQ(replay.exit_code, 0) << replay.err;
  EXPECT_THAT(replay.out, HasSubstr("INFO:Video driver: libheadless_tessar"));
  EXPECT_EQ(course_of(replay.out + replay.err), recorded);

  // The same file on other data is refused in one line.
  folder.write("res/game/game.scn", crafted_scene("\tswapSeconds 0.2\n"));
  const test_support::ProcessResult refused =
      test_support::run_process({program, "--replay", "game.rpl"}, folder.path(), 60, GAME_ENV);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_EQ(refused.err, folder.file("game.rpl") + ": recorded with different game data, not played\n");
  EXPECT_EQ(refused.out, "");
}

}  // namespace
