// The shipped game's balance on fixed seeds, windowless (tarnvale-autoplay): a player who makes
// the best swap every 2 s lasts at least three times as long as one who never clicks, and the
// idle game scores less than a tenth of what the player does. To run in about half a minute under
// sanitizers the bursts throw no particles (they cost the most time there), the line is lower (a
// shorter game) and the scripted game is cut off past three times the idle one's length.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "game_process.h"

namespace {

struct Game {
  double seconds = 0;
  bool over = true;
  long score = 0;
  int level = 0;
};

// One game in a process of its own: both players play at once.
class Played {
public:
  Played(const test_support::ScratchDir& folder, const std::string& player, int seed, double minutes) : player_(player) {
    started_ = child_.start({test_support::built_program("tarnvale-autoplay"), "--player", player, "--seed",
                             std::to_string(seed), "--minutes", std::to_string(minutes), folder.path()},
                            ".", game_test::GAME_ENV);
  }
  Game result() {
    Game game;
    EXPECT_TRUE(started_ && child_.wait(300)) << player_;
    EXPECT_EQ(child_.exit_code(), 0) << child_.err();
    // "scripted seed 3: 412.5 s (still playing), score 1234, level 5, largest multiplier x4"
    const std::string out = child_.out();
    const size_t line = out.rfind(player_ + " seed");
    const std::string last = line == std::string::npos ? "" : out.substr(line);
    char ending[32] = "";
    EXPECT_EQ(std::sscanf(last.c_str(), "%*s seed %*d: %lf s (%31[^)]), score %ld, level %d", &game.seconds, ending,
                          &game.score, &game.level),
              4)
        << out;
    game.over = std::string(ending) != "still playing";
    return game;
  }

private:
  std::string player_;
  test_support::ChildProcess child_;
  bool started_ = false;
};

TEST(Balance, AGoodPlayerLastsThreeTimesAsLongAsAnIdleOneAndScoresTenTimesAsMuch) {
  test_support::ScratchDir folder;
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  std::string scene = folder.read("res/game/game.scn");
  const std::string bursts = "[gameStoneParticles]\n";
  ASSERT_NE(scene.find(bursts), std::string::npos);
  scene.replace(scene.find(bursts), bursts.size(), bursts + "\tparticleCount 0\n");
  const std::string line = "gameOverLine 0.55";
  ASSERT_NE(scene.find(line), std::string::npos);
  scene.replace(scene.find(line), line.size(), "gameOverLine 0.2");
  folder.write("res/game/game.scn", scene);

  // The idle game on this seed lasts about a minute: the scripted one is cut off at 200 s.
  const int seed = 8;
  const double scripted_seconds = 200;
  Played idle_game(folder, "idle", seed, 10), scripted_game(folder, "scripted", seed, scripted_seconds / 60);
  const Game idle = idle_game.result(), scripted = scripted_game.result();
  ASSERT_TRUE(idle.over) << "an idle game ends";
  ASSERT_LE(3 * idle.seconds, scripted_seconds) << "the idle game lasted longer than the test reckons";
  EXPECT_FALSE(scripted.over) << "ended after " << scripted.seconds << " s; the idle game after " << idle.seconds;
  EXPECT_LT(10 * idle.score, scripted.score);
  EXPECT_GT(scripted.level, idle.level);
}

}  // namespace
