// The program's options on the real program, started from outside the game's folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "game_process.h"

using namespace game_test;
using test_support::run_process;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

class ProgramOptions : public ::testing::Test {
protected:
  void SetUp() override { prepare_game_folder(game, "start_screen"); }
  test_support::ProcessResult run(std::vector<std::string> args) {
    args.insert(args.begin(), test_support::built_program("tarnvale"));
    return run_process(args, shell.path(), 300, GAME_ENV);
  }
  test_support::ScratchDir game, shell;
};

TEST_F(ProgramOptions, ABadCommandLineIsOneUsageLineAndExitCode2) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--frames", "ten", game.path()}, {"--fast"}, {"no/such/folder"}}) {
    const test_support::ProcessResult result = run(args);
    EXPECT_EQ(result.exit_code, 2) << args[0];
    EXPECT_EQ(count_of(result.err, "\n"), 1) << result.err;
    EXPECT_THAT(result.err, StartsWith("tarnvale: "));
    EXPECT_EQ(result.out, "");
  }
  EXPECT_THAT(run({"--version"}).out, StartsWith("tarnvale 0."));
  const test_support::ProcessResult help = run({"-h"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_THAT(help.out, HasSubstr("  --replay FILE"));
}

// The game of DIR on the windowless driver, its files untouched: quiet leaves standard output
// empty, the trace names the shell's file, and without -q the progress lines are there.
TEST_F(ProgramOptions, AWindowlessRunOfTheShippedGameFromOutsideItsFolder) {
  const std::string video = game.read("cfg/Video.cfg"), settings = game.read("cfg/Game.cfg");
  test_support::ProcessResult quiet =
      run({"--headless", "--frames", "300", "-q", "--scene", "game", "--trace", "t.txt", game.path()});
  EXPECT_EQ(quiet.exit_code, 0) << quiet.err;
  EXPECT_EQ(quiet.out, "");
  const std::string trace = shell.read("t.txt");
  EXPECT_EQ(count_of(trace, "frame "), 300);
  EXPECT_THAT(trace, HasSubstr("sprite game Stone"));
  EXPECT_EQ(game.read("cfg/Video.cfg"), video);
  EXPECT_EQ(game.read("cfg/Game.cfg"), settings);

  test_support::ProcessResult loud = run({"--headless", "--frames=5", game.path()});
  EXPECT_EQ(loud.exit_code, 0) << loud.err;
  EXPECT_THAT(loud.out, HasSubstr("INFO:Video driver: libheadless_tessar\n"));
  EXPECT_THAT(loud.out, HasSubstr("Headless video 800x600, 5 frames\n"));
}

TEST_F(ProgramOptions, CheckGivesTheCheckersLinesAndCode) {
  std::string scene = game.read("res/scenes/start_screen.scn");
  scene.replace(scene.find("type SceneSwitcher"), 18, "type SceneSwitch");
  game.write("res/scenes/start_screen.scn", scene);
  const test_support::ProcessResult result = run({"--check", game.path()});
  EXPECT_EQ(result.exit_code, 1) << result.err;
  EXPECT_THAT(result.out, HasSubstr("res/scenes/start_screen.scn:"));
  EXPECT_THAT(result.out, HasSubstr("did you mean \"SceneSwitcher\"?"));
}

}  // namespace
