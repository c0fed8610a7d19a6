// Whole games through the real program under the private X server, clicked with xdotool.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <random>
#include <thread>

#include "game_process.h"
#include "stick_row.h"
#include "window_picture.h"
#include "xserver.h"

using namespace game_test;
using ::testing::HasSubstr;

namespace {

class Play : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    prepare_game_folder(folder);
  }
  void start(unsigned seed) {
    std::vector<std::string> env = GAME_ENV;
    env.push_back("TARNVALE_SEED=" + std::to_string(seed));
    ASSERT_TRUE(game.start({test_support::built_program("tarnvale")}, folder.path(), env));
    ASSERT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
    window = find_window(30);
    ASSERT_FALSE(window.empty());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  test_support::ScratchDir folder;
  test_support::ChildProcess game;
  std::string window;
};

TEST_F(Play, ClicksSelectCompareSwapAndRemoveThenTheWindowCloses) {
  unsigned seed = 0;
  int swap_at = -1;
  seed_with_a_swap(&seed, &swap_at);
  ASSERT_GE(swap_at, 0);
  folder.write("res/game/game.scn", crafted_scene());
  start(seed);

  // Two sticks too far apart: compared, nothing swapped, nothing selected.
  click(window, stick_x(0), ROW_Y);
  click(window, stick_x(5), ROW_Y);
  ASSERT_TRUE(wait_for_output(game, "=1\n", 20)) << game.out();
  EXPECT_THAT(game.out(), HasSubstr("INFO:Dist>maxSize"));
  EXPECT_EQ(count_of(game.err(), "removing object:"), 0);

  // Two neighbours whose swap makes a group of three: the group goes.
  click(window, stick_x(swap_at), ROW_Y);
  click(window, stick_x(swap_at + 1), ROW_Y);
  ASSERT_TRUE(wait_for_output(game, "removing object:", 20)) << game.out() << game.err();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_THAT(game.out(), HasSubstr("=0\n"));
  EXPECT_THAT(game.err(), HasSubstr("(BaseStone::_on_mouse_release_handler):same_type:3"));
  EXPECT_EQ(count_of(game.err(), "removing object:"), 3);
  EXPECT_EQ(count_of(game.out(), "INFO:Particles launched"), 3);

  request_close(window);
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
}

TEST_F(Play, ASecondClickARightClickOrAClickBesideTheStonesTakesTheSelectionBack) {
  folder.write("res/game/game.scn", crafted_scene("\tcancelSelection true\n"));
  start(1);
  auto selections = [this] { return count_of(game.out(), "INFO:Selected "); };
  auto cancelled = [this] { return count_of(game.out(), " cancelled\n"); };
  const float taken_back_by[][2] = {{stick_x(0), ROW_Y}, {stick_x(3), ROW_Y}, {0.0f, -0.6f}};
  const int buttons[] = {1, 3, 1};
  for (int i = 0; i < 3; ++i) {
    click(window, stick_x(0), ROW_Y);
    ASSERT_TRUE(wait_for_output(game, "INFO:Selected ", 20, i + 1)) << game.out();
    click(window, taken_back_by[i][0], taken_back_by[i][1], buttons[i]);
    ASSERT_TRUE(wait_for_output(game, " cancelled\n", 20, i + 1)) << i << game.out();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(selections(), 3) << "a right click selects nothing";
  EXPECT_EQ(cancelled(), 3);
  EXPECT_THAT(game.out(), ::testing::Not(HasSubstr("INFO:Dist>maxSize"))) << "no swap was judged";
  request_close(window);
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
}

TEST_F(Play, ArrowKeysAndSpaceAloneSwapTwoStonesWhoseGroupBursts) {
  unsigned seed = 0;
  int swap_at = -1;
  seed_with_a_swap(&seed, &swap_at);
  ASSERT_GE(swap_at, 0);
  folder.write("res/game/game.scn", crafted_scene("\tkeyboardCursor true\n"));
  start(seed);
  const auto key = [this](const std::string& name) {
    test_support::run_process({"xdotool", "key", "--window", window, name}, ".", 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  };
  // The first arrow shows the cursor on the stick nearest the middle of the window: the third.
  key("Right");
  ASSERT_TRUE(wait_for_output(game, "INFO:Cursor on ", 20)) << game.out();
  for (int at = 2; at != swap_at; at += swap_at > at ? 1 : -1) key(swap_at > at ? "Right" : "Left");
  key("space");
  key("Right");
  key("space");
  ASSERT_TRUE(wait_for_output(game, "removing object:", 20, 3)) << game.out() << game.err();
  EXPECT_THAT(game.out(), HasSubstr("INFO:Group of 3 scores"));
  request_close(window);
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
}

// From the shipped start screen: New game, a stone of the settled pile selected, then Esc takes
// the selection back, and only the next Esc pauses.
TEST(PlayFromTheStartScreen, EscTakesTheSelectionBackBeforeItPauses) {
  REQUIRE_X_SERVER();
  test_support::ScratchDir folder;
  prepare_game_folder(folder, "start_screen");
  test_support::ChildProcess game;
  ASSERT_TRUE(game.start({test_support::built_program("tarnvale")}, folder.path(), GAME_ENV));
  const std::string window = find_window(60);
  ASSERT_FALSE(window.empty()) << game.err();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  click(window, 0.0f, -0.06f);  // New game
  ASSERT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
  std::this_thread::sleep_for(std::chrono::seconds(4));  // the first rows settle in the V
  // Points low in the V, where the settled pile surely has stones (one may be a gap).
  const float tries[][2] = {{0.0f, -0.75f}, {0.05f, -0.7f}, {-0.05f, -0.7f}, {0.0f, -0.65f}, {0.1f, -0.6f}};
  bool selected = false;
  for (const auto& at : tries) {
    click(window, at[0], at[1]);
    if ((selected = wait_for_output(game, "INFO:Selected ", 1))) break;
  }
  ASSERT_TRUE(selected) << game.out();
  const auto key = [&window](const char* name) {
    test_support::run_process({"xdotool", "key", "--window", window, name}, ".", 10);
  };
  key("Escape");
  ASSERT_TRUE(wait_for_output(game, " cancelled\n", 10)) << game.out();
  EXPECT_EQ(count_of(game.out(), "INFO:Paused"), 0);
  key("Escape");
  ASSERT_TRUE(wait_for_output(game, "INFO:Paused", 10)) << game.out();
  request_close(window);
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
}

// Pixels of the window in the stick colour of the kind (red, blue, green): one channel strong,
// the other two weak.
int pixels_of_kind(const WindowPicture& picture, int kind) {
  int count = 0;
  for (int y = 0; y < 600; y += 2)
    for (int x = 0; x < 800; x += 2) {
      const auto c = picture.colour(x, y);
      const int channels[3] = {c.red, c.blue, c.green};
      const int strong = channels[kind], weak = std::max({channels[(kind + 1) % 3], channels[(kind + 2) % 3]});
      count += strong > 140 && weak < 110;
    }
  return count;
}

TEST_F(Play, AClickedSwapTravelsScoresAndBurstsInTheColourOfItsStones) {
  unsigned seed = 0;
  int swap_at = -1;
  seed_with_a_swap(&seed, &swap_at);
  ASSERT_GE(swap_at, 0);
  std::vector<int> kinds = kinds_for(seed);
  std::swap(kinds[swap_at], kinds[swap_at + 1]);
  int kind = -1;
  for (size_t i = 0; i + 2 < kinds.size(); ++i)
    if (kinds[i] == kinds[i + 1] && kinds[i + 1] == kinds[i + 2]) kind = kinds[i];
  folder.write("res/game/game.scn",
               crafted_scene("\tcascadeScoring true\n\tgroupBonus 2\n\tswapSeconds 0.15\n\trejectSeconds 0.3\n",
                             "[gameStoneParticles]\n\toutline false\n\tstoneColour true\n\tlifeTime 1\n[/]\n"));
  start(seed);
  const WindowPicture before(800, 600);
  ASSERT_TRUE(before.taken());
  const int sticks = pixels_of_kind(before, kind);
  ASSERT_GT(sticks, 100) << "the sticks of the kind show";

  click(window, stick_x(swap_at), ROW_Y);
  click(window, stick_x(swap_at + 1), ROW_Y);
  ASSERT_TRUE(wait_for_output(game, "removing object:", 20)) << game.out() << game.err();
  // The burst of three sticks in their colour covers more than the sticks did.
  int most = 0;
  for (int i = 0; i < 8; ++i) {
    const WindowPicture burst(800, 600);
    if (burst.taken()) most = std::max(most, pixels_of_kind(burst, kind));
  }
  EXPECT_GT(most, sticks * 2) << "kind " << kind;
  EXPECT_THAT(game.out(), HasSubstr("INFO:Group of 3 scores 3 (x1)\n")) << "the swap's own group";
  request_close(window);
  ASSERT_TRUE(game.wait(30));
}

// Random clicks on the real game for TARNVALE_SOAK_SECONDS (75 by default), with New game again
// and again: in the game-over window when a game ends, through the menu when one lasts 15 s. No
// crash, stones burst, games end, and the resident memory after the first minute grows by less
// than a tenth.
TEST_F(Play, SoakWithRandomClicksRunsInBoundedMemory) {
  const char* seconds_text = std::getenv("TARNVALE_SOAK_SECONDS");
  const double seconds = seconds_text ? std::max(61.0, atof(seconds_text)) : 75.0;
  // Refill often and with four kinds, so that groups burst all the time, and end a game when its
  // pile rests above the lower third for a second.
  std::string scene = folder.read("res/game/game.scn");
  scene.replace(scene.find("time 5"), 6, "time 1");
  scene.replace(scene.find("stoneTypeCount 6"), 16, "stoneTypeCount 4");
  scene.replace(scene.find("gameOverLine 0.55"), 17, "gameOverLine -0.45");
  scene.replace(scene.find("gameOverHold 2"), 14, "gameOverHold 1");
  // The pace's refill times are the shipped game's, far slower than this one's: left alone.
  scene.replace(scene.find("\tpaceTimer refill\n"), 18, "");
  folder.write("res/game/game.scn", scene);
  start(7);

  std::mt19937 random(7);
  std::uniform_real_distribution<float> across(-0.6f, 0.6f), down(-0.9f, 0.2f);
  using clock = std::chrono::steady_clock;
  const auto begin = clock::now();
  auto since = [](clock::time_point then) { return std::chrono::duration<double>(clock::now() - then).count(); };
  auto game_start = begin;
  long after_a_minute = 0, last = 0;
  int games_over = 0;
  while (since(begin) < seconds) {
    const int over = count_of(game.out(), "INFO:Game over, score ");
    if (over > games_over) {
      games_over = over;
      click(window, -0.294f, -0.434f);  // the game-over window's New game
      game_start = clock::now();
    } else if (since(game_start) > 15) {
      click(window, 0.8f, 0.9f);  // Menu
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      click(window, 0.0f, 0.0f);  // the start screen's New game
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      click(window, 0.0f, -0.14f);  // the game runs: the asking window's "Start a new game"
      game_start = clock::now();
    } else {
      click(window, across(random), down(random));
    }
    ASSERT_TRUE(game.running()) << game.err().substr(game.err().size() > 4000 ? game.err().size() - 4000 : 0);
    if (after_a_minute == 0 && since(begin) >= 60) after_a_minute = resident_kb(game.pid());
  }
  last = resident_kb(game.pid());
  RecordProperty("resident_kb_after_a_minute", std::to_string(after_a_minute));
  RecordProperty("resident_kb_at_the_end", std::to_string(last));
  std::cout << "resident memory: " << after_a_minute << " kB after a minute, " << last << " kB after " << seconds
            << " s; " << count_of(game.err(), "removing object:") << " stones burst, "
            << count_of(game.out(), "INFO:Game over, score ") << " games over" << std::endl;
  EXPECT_GT(count_of(game.err(), "removing object:"), 0) << count_of(game.out(), "INFO:Game over, score ");
  EXPECT_GE(count_of(game.out(), "INFO:Game over, score "), 1);
  EXPECT_GE(count_of(game.out(), "INFO:LEVEL DATA ENDED"), 4) << "New game made the field anew";
  // The timer wired in the scene file refilled the field beyond the first batch.
  EXPECT_GT(count_of(game.out(), "INFO:Emitting object "), 54 + 9 * 10);
  EXPECT_LT(last, after_a_minute * 1.1);
  request_close(window);
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
}

}  // namespace
