// A whole game's course through the program on the windowless driver, from the shipped start
// screen: New game, the pile reaching the line, the game-over window, New game again, Menu and
// Continue, and the best scores file, in a data folder of the test's own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "game_process.h"
#include "trace_reader.h"

using namespace headless_test;
using ::testing::HasSubstr;

namespace {

const unsigned SEED = 5;
// Screen places of the buttons (the window stands in the middle and is 560 x 420 of 800 x 600).
const char* const START_NEW_GAME = "0 0.005";
const char* const WINDOW_NEW_GAME = "-0.294 -0.434";
const char* const WINDOW_MENU = "0.294 -0.434";
const char* const GAME_MENU = "0.8 0.9";

std::string click(int frame, const std::string& place) {
  return std::to_string(frame) + " mouse_press " + place + " 1\n" + std::to_string(frame + 1) + " mouse_release " +
         place + " 1\n";
}

bool drawn_in(const TracedFrame& frame, const std::string& group) {
  for (const TracedSprite& s : frame.sprites)
    if (s.group == group) return true;
  return false;
}

int stones_in(const TracedFrame& frame) {
  int count = 0;
  for (const TracedSprite& s : frame.sprites) count += s.group == "game" && s.name.rfind("Stone", 0) == 0;
  return count;
}

class Course : public ::testing::Test {
protected:
  void SetUp() override {
    game_test::prepare_game_folder(folder, "start_screen");
    // A low line: the first pile reaches it within seconds.
    std::string scene = folder.read("res/game/game.scn");
    scene.replace(scene.find("gameOverLine 0.55"), 17, "gameOverLine -0.4");
    folder.write("res/game/game.scn", scene);
    data = folder.file("data");
  }

  std::map<int, TracedFrame> play(const std::string& input, int frames) {
    std::string video = folder.read("cfg/Video.cfg");
    const std::string driver = "Driver libGL_tessar";
    if (video.find(driver) != std::string::npos)
      video.replace(video.find(driver), driver.size(),
                    "Driver libheadless_tessar\n\tInputFile input.txt\n\tTraceFile trace.txt\n\tFrames " +
                        std::to_string(frames));
    else
      video.replace(video.find("\tFrames "), video.find('\n', video.find("\tFrames ")) - video.find("\tFrames "),
                    "\tFrames " + std::to_string(frames));
    folder.write("cfg/Video.cfg", video);
    folder.write("input.txt", input);
    std::vector<std::string> env = game_test::GAME_ENV;
    env.push_back("TARNVALE_SEED=" + std::to_string(SEED));
    env.push_back("XDG_DATA_HOME=" + data);
    last = test_support::run_process({test_support::built_program("tarnvale")}, folder.path(), 300, env);
    EXPECT_EQ(last.exit_code, 0) << last.err.substr(0, 3000);
    return read_trace(folder.read("trace.txt"));
  }

  // The first frame that shows the game-over window (0: none).
  static int window_frame(const std::map<int, TracedFrame>& frames) {
    for (const auto& [number, frame] : frames)
      if (drawn_in(frame, "game_over")) return number;
    return 0;
  }

  test_support::ScratchDir folder;
  std::string data;
  test_support::ProcessResult last;
};

TEST_F(Course, GameOverThenNewGameMenuAndContinue) {
  auto frames = play(click(5, START_NEW_GAME), 1500);
  const int over = window_frame(frames);
  ASSERT_GT(over, 0) << "the game never ended";
  EXPECT_EQ(test_support::count_of(last.out, "INFO:Game over, score "), 1);
  const size_t at = last.out.find("INFO:Game over, score ");
  const std::string score = last.out.substr(at + 22, last.out.find('\n', at) - at - 22);
  // The line is drawn until the end, in its warning colour as the pile rests above it, and the
  // window shows the score; the game's pictures stay.
  EXPECT_NE(frames.at(over - 1).sprite("gameOverLineWarning"), nullptr);
  EXPECT_NE(frames.at(over).sprite("final_score"), nullptr);
  EXPECT_EQ(score, "0") << "no click, no point";
  EXPECT_NE(frames.at(over).sprite("rank"), nullptr) << "the line that says the game made no place";
  // The field stands still: the same stones at the same places a second later.
  const TracedFrame& still = frames.at(over + 60);
  ASSERT_EQ(stones_in(still), stones_in(frames.at(over + 1)));
  for (const TracedSprite& s : still.sprites)
    if (s.group == "game" && s.name.rfind("Stone", 0) == 0) {
      const TracedSprite* before = frames.at(over + 1).sprite(s.name);
      ASSERT_NE(before, nullptr) << s.name;
      EXPECT_EQ(before->x, s.x);
      EXPECT_EQ(before->y, s.y);
    }
  EXPECT_FALSE(std::filesystem::exists(data + "/tarnvale/scores.cfg")) << "a game without a point is no best score";

  // New game in the window: a fresh field and a zero score; Menu then offers Continue.
  const int restart = over + 30;
  frames = play(click(5, START_NEW_GAME) + click(restart, WINDOW_NEW_GAME) + click(restart + 60, GAME_MENU),
                restart + 80);
  EXPECT_EQ(test_support::count_of(last.out, "INFO:LEVEL DATA ENDED"), 2) << "the game scene loaded anew";
  const TracedFrame& fresh = frames.at(restart + 5);
  EXPECT_FALSE(drawn_in(fresh, "game_over"));
  int first_start = 0;
  for (const auto& [number, frame] : frames)
    if (stones_in(frame) > 0) {
      first_start = number;
      break;
    }
  ASSERT_GT(first_start, 0);
  EXPECT_EQ(stones_in(fresh), stones_in(frames.at(first_start))) << "the first batch again, nothing more";
  ASSERT_NE(fresh.sprite("score"), nullptr);
  EXPECT_EQ(fresh.sprite("score")->checksum, frames.at(first_start).sprite("score")->checksum) << "score 0 again";
  const TracedFrame& menu = frames.at(restart + 70);
  EXPECT_NE(menu.sprite("continuebaseimage"), nullptr) << "a game runs: Continue is offered";
  EXPECT_NE(menu.sprite("new_gamebaseimage"), nullptr);

  // Menu in the window: the start screen without Continue.
  frames = play(click(5, START_NEW_GAME) + click(over + 30, WINDOW_MENU), over + 50);
  const TracedFrame& start = frames.at(over + 45);
  EXPECT_TRUE(drawn_in(start, "start_screen"));
  EXPECT_EQ(start.sprite("continuebaseimage"), nullptr) << "the game is over: nothing to continue";
  EXPECT_NE(start.sprite("new_gamebaseimage"), nullptr);
}

// With every score entered, as without bestScoresMinimum.
TEST_F(Course, AnUnreadableScoresFileIsMovedAsideAndAFolderThatCannotBeWrittenIsReported) {
  std::string scene = folder.read("res/game/game.scn");
  scene.replace(scene.find("bestScoresMinimum 1"), 19, "bestScoresMinimum 0");
  folder.write("res/game/game.scn", scene);
  const std::string junk = "[Scores]\n\t[Score0]\n\t\tscore many\n\t[/]\n[/]\n";
  folder.write("data/tarnvale/scores.cfg", junk);
  play(click(5, START_NEW_GAME), 1500);
  ASSERT_THAT(last.out, HasSubstr("INFO:Game over, score "));
  EXPECT_THAT(last.err, HasSubstr("scores.cfg\" (key Scores->Score0->score is not a whole number"));
  EXPECT_EQ(test_support::read_file(data + "/tarnvale/scores.cfg.bad"), junk);
  EXPECT_THAT(test_support::read_file(data + "/tarnvale/scores.cfg"), HasSubstr("[Score0]"));

  // The data folder below a plain file: nothing can be written, the game goes on.
  folder.write("plain", "not a folder");
  data = folder.file("plain/data");
  play(click(5, START_NEW_GAME), 1500);
  EXPECT_THAT(last.out, HasSubstr("INFO:Game over, score "));
  EXPECT_THAT(last.err, HasSubstr("Can't make the folder"));
}

// With the shipped data, ten seconds without a move mark two stones (a glow around each) until the
// next click; clicked, the swap they name makes a group.
TEST_F(Course, TenSecondsWithoutAMoveMarkASwapThatMakesAGroup) {
  game_test::prepare_game_folder(folder, "start_screen");  // the shipped line: no early end
  auto frames = play(click(5, START_NEW_GAME), 720);
  const size_t at = last.out.find("INFO:Hint: ");
  ASSERT_NE(at, std::string::npos) << "no hint";
  std::istringstream hint(last.out.substr(at + 11, last.out.find('\n', at) - at - 11));
  std::string first, with, second;
  hint >> first >> with >> second;
  auto glowing = [&](int number, const std::string& name) {
    return frames.at(number).sprite(name + "hintGlow") != nullptr;
  };
  int marked = 0;
  for (const auto& [number, frame] : frames)
    if (glowing(number, first) && glowing(number, second)) {
      marked = number;
      break;
    }
  ASSERT_GT(marked, 5 + 600) << "ten seconds after New game, not before";
  int glowing_frames = 0;
  for (int number = marked; number < marked + 60; ++number) glowing_frames += glowing(number, first);
  EXPECT_EQ(glowing_frames, 60) << "still glowing a second later";

  const int click_at = marked + 60;
  const TracedSprite a = *frames.at(click_at - 1).sprite(first), b = *frames.at(click_at - 1).sprite(second);
  auto place = [](const TracedSprite& s) { return std::to_string(s.x) + " " + std::to_string(s.y); };
  frames = play(click(5, START_NEW_GAME) + click(click_at, place(a)) + click(click_at + 3, place(b)), click_at + 40);
  EXPECT_THAT(last.out, HasSubstr("=0\n")) << "neighbours";
  const size_t same = last.err.rfind("same_type:");
  ASSERT_NE(same, std::string::npos);
  EXPECT_GE(std::atoi(last.err.c_str() + same + 10), 3) << "the swap stood with a group";
  // The marks went with the first click; a stone of the swap went with its group.
  for (const std::string& name : {first, second}) EXPECT_FALSE(glowing(click_at + 2, name)) << name;
  EXPECT_TRUE(!frames.at(click_at + 30).sprite(first) || !frames.at(click_at + 30).sprite(second));
}

}  // namespace
