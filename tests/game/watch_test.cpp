// Reload on save: the shipped game under --watch in a real window, its data saved as editors
// save it while the window is read back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "game_process.h"
#include "window_picture.h"
#include "xserver.h"

using namespace game_test;
using ::testing::HasSubstr;
using Clock = std::chrono::steady_clock;

namespace {

// Most of the time goes to the checker's run over the data, which the sanitizers slow several
// times over; without them a save shows well within the second (see docs/performance.md).
#if defined(__SANITIZE_ADDRESS__)
const double kShownWithin = 5.0;
#else
const double kShownWithin = 1.0;
#endif

// Pixels in the caption colour the test gives the menu buttons: magenta, found nowhere else.
int magenta_pixels() {
  const WindowPicture picture(800, 600);
  int count = 0;
  for (int y = 0; y < 600; y += 2)
    for (int x = 0; x < 800; x += 2) {
      const WindowPicture::Colour c = picture.colour(x, y);
      count += c.red > 200 && c.blue > 200 && c.green < 60;
    }
  return count;
}

// The start screen's last picture (a trace, which -q would leave out).
const char* const kStartScreenLoaded = "settingshoverimage loaded";

class Watch : public ::testing::Test {
protected:
  void SetUp() override { REQUIRE_X_SERVER(); }
  void start_on_the_start_screen() {
    prepare_game_folder(folder, "start_screen");
    ASSERT_TRUE(game.start({test_support::built_program("tarnvale"), "--watch"}, folder.path(), GAME_ENV));
    ASSERT_FALSE(find_window(60).empty()) << game.err();
    ASSERT_TRUE(wait_for_output(game, kStartScreenLoaded, 60)) << game.err();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  // As most editors save: a temporary file renamed over the old one.
  void save(const std::string& file, const std::vector<std::pair<std::string, std::string>>& changes) {
    std::string text = folder.read(file);
    for (const auto& [from, to] : changes) text.replace(text.find(from), from.size(), to);
    folder.write(file + ".tmp", text);
    ASSERT_EQ(std::rename(folder.file(file + ".tmp").c_str(), folder.file(file).c_str()), 0);
  }
  test_support::ScratchDir folder;
  test_support::ChildProcess game;
};

TEST_F(Watch, ASavedStyleShowsAtOnceAndABrokenSceneIsRefused) {
  start_on_the_start_screen();
  ASSERT_EQ(magenta_pixels(), 0);
  save("res/interface/base.style", {{"font_color 0xe8eef8ff", "font_color 0xff00ffff"}});
  const Clock::time_point saved = Clock::now();
  int shown = 0;
  while (shown == 0 && Clock::now() - saved < std::chrono::seconds(5)) shown = magenta_pixels();
  const double seconds = std::chrono::duration<double>(Clock::now() - saved).count();
  ASSERT_GT(shown, 50) << game.err();
  EXPECT_LT(seconds, kShownWithin) << game.err();
  ASSERT_TRUE(wait_for_output(game, "tarnvale: reloaded res/interface/base.style: the style set", 5));

  // Written in place, as other editors do: the checker's line, and the old scene drawn on.
  std::string scene = folder.read("res/scenes/start_screen.scn");
  const size_t broken = scene.find("type SceneSwitcher");
  const long line = 1 + std::count(scene.begin(), scene.begin() + static_cast<long>(broken), '\n');
  scene.replace(broken, 18, "type SceneSwitch");
  folder.write("res/scenes/start_screen.scn", scene);
  ASSERT_TRUE(wait_for_output(game, "not reloaded", 10)) << game.err();
  EXPECT_THAT(game.err(), HasSubstr("res/scenes/start_screen.scn:" + std::to_string(line) +
                                    ": unknown object type \"SceneSwitch\"; "
                                    "did you mean \"SceneSwitcher\"?\n"
                                    "tarnvale: res/scenes/start_screen.scn not reloaded for the "
                                    "problems above; the running version stays\n"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_GT(magenta_pixels(), shown / 2);
  EXPECT_EQ(count_of(game.err(), "tarnvale: reloaded"), 1);
  EXPECT_TRUE(game.running());
}

TEST_F(Watch, ASavedMenuIsLoadedAnewWhileTheFieldBehindItKeepsItsStones) {
  prepare_game_folder(folder, "game");
  std::vector<std::string> env = GAME_ENV;
  env.push_back("TARNVALE_SEED=3");
  ASSERT_TRUE(game.start({test_support::built_program("tarnvale"), "--watch"}, folder.path(), env));
  ASSERT_TRUE(wait_for_output(game, "Stone5 position:", 60)) << game.err();
  const std::string window = find_window(30);
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(std::chrono::seconds(2));
  click(window, 0.8f, 0.9f);  // Menu
  ASSERT_TRUE(wait_for_output(game, kStartScreenLoaded, 30)) << game.err();

  save("res/scenes/start_screen.scn", {{"caption Continue", "caption Go on"}});
  ASSERT_TRUE(wait_for_output(game, "tarnvale: reloaded res/scenes/start_screen.scn: the current "
                                    "scene \"start_screen\" anew\n", 10)) << game.err();
  ASSERT_TRUE(wait_for_output(game, kStartScreenLoaded, 10, 2));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  click(window, 0.0f, 0.18f);  // Go on, as Continue is now called
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  test_support::run_process({"xdotool", "key", "--window", window, "Escape"}, ".", 10);
  ASSERT_TRUE(wait_for_output(game, "INFO:Paused", 10)) << game.out();  // the field's own key
  // A field made anew would place its first stones again.
  EXPECT_EQ(count_of(game.out(), "Stone5 position:"), 1);

  // The fonts are everyone's: they are taken at once. The start scene waits for a restart.
  save("cfg/Game.cfg", {{"res/fonts/", "res/../res/fonts/"}, {"StartScene game", "StartScene start_screen"}});
  ASSERT_TRUE(wait_for_output(game, "tarnvale: reloaded cfg/Game.cfg: the fonts, the current "
                                    "scene \"game\" anew, \"start_screen\" when next entered\n", 10))
      << game.err();
  EXPECT_THAT(game.err(), HasSubstr("tarnvale: cfg/Game.cfg: Options->StartScene changed: a "
                                    "restart is needed for it, the game runs on as it started\n"));
  request_close(window);
  ASSERT_TRUE(game.wait(30));
}

}  // namespace
