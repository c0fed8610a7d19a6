// The program's options on the real program, started from outside the game's folder.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "game_process.h"

using namespace game_test;
using test_support::run_process;
using ::testing::HasSubstr;
using ::testing::Not;
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
  // Nor the traces on standard error: the field's walls, each picture loaded.
  EXPECT_THAT(quiet.err, Not(HasSubstr("boxr:")));
  EXPECT_THAT(quiet.err, Not(HasSubstr(" loaded\n")));
  const std::string trace = shell.read("t.txt");
  EXPECT_EQ(count_of(trace, "frame "), 300);
  EXPECT_THAT(trace, HasSubstr("sprite game Stone"));
  EXPECT_EQ(game.read("cfg/Video.cfg"), video);
  EXPECT_EQ(game.read("cfg/Game.cfg"), settings);

  test_support::ProcessResult loud = run({"--headless", "--frames=5", game.path()});
  EXPECT_EQ(loud.exit_code, 0) << loud.err;
  EXPECT_THAT(loud.out, HasSubstr("INFO:Video driver: libheadless_tessar\n"));
  EXPECT_THAT(loud.out, HasSubstr("Headless video 800x600, 5 frames\n"));
  // The field's walls say where they are as they load; only the start-up check loads the field.
  EXPECT_THAT(loud.err, Not(HasSubstr("boxr:")));
}

TEST_F(ProgramOptions, CheckGivesTheCheckersLinesAndCode) {
  std::string scene = game.read("res/scenes/start_screen.scn");
  scene.replace(scene.find("type SceneSwitcher"), 18, "type SceneSwitch");
  game.write("res/scenes/start_screen.scn", scene);
  const test_support::ProcessResult result = run({"--check", game.path()});
  EXPECT_EQ(result.exit_code, 1) << result.err;
  EXPECT_THAT(result.out, HasSubstr("res/scenes/start_screen.scn:"));
  EXPECT_THAT(result.out, HasSubstr("did you mean \"SceneSwitcher\"?"));
  // What the objects print as the checker loads them is not a problem of the data.
  EXPECT_THAT(result.err, Not(HasSubstr("boxr:")));
}

// The data of DIR checked at start-up by the checker's own code: each problem once on standard
// error, the game played all the same, and not at all with --strict.
TEST_F(ProgramOptions, StartUpChecksTheDataAndStrictFailsOnProblems) {
  auto change = [this](const std::string& file, const std::string& from, const std::string& to) {
    std::string text = game.read(file);
    text.replace(text.find(from), from.size(), to);
    game.write(file, text);
  };
  change("res/game/game.scn", "slot_name emit\n", "slot_name emti\n");
  change("res/scenes/start_screen.scn", "next_scene best_scores", "next_scene best_score");
  change("res/scenes/how_to_play_window.scn", "absolute_y -0.42\n",
         "absolute_y -0.42\n\t\t\tcoord_type link\n\t\t\tlink_object show_frame_rate_label\n");
  std::remove(game.file("res/game/stone4.png").c_str());
  // The place of each fault in the shipped files as they stand.
  auto at = [this](const std::string& file, const std::string& text) {
    const std::string content = game.read(file);
    const auto lines_before = std::count(content.begin(), content.begin() + content.find(text), '\n');
    return file + ":" + std::to_string(lines_before + 1) + ": ";
  };
  const std::vector<std::string> lines = {
      at("res/game/game.scn", "slot_name emti") +
          "no object registers the slot \"game->emitter->emti\"; did you mean \"emit\"?\n",
      at("res/scenes/start_screen.scn", "next_scene best_score") +
          "unknown scene \"best_score\"; did you mean \"best_scores\"?\n",
      at("res/scenes/how_to_play_window.scn", "link_object show_frame_rate_label") + "link cycle: ",
      at("res/game/game.scn", "stoneName") + "picture \"res/game/stone4.png\" cannot be read\n"};

  const test_support::ProcessResult played = run({"--headless", "--frames", "5", game.path()});
  EXPECT_EQ(played.exit_code, 0) << played.err;
  for (const std::string& line : lines) EXPECT_EQ(count_of(played.err, line), 1) << line << played.err;

  const test_support::ProcessResult strict = run({"--strict", "--headless", "--frames", "5", game.path()});
  EXPECT_EQ(strict.exit_code, 1);
  EXPECT_THAT(strict.err, HasSubstr(lines[0]));
  EXPECT_THAT(strict.err, HasSubstr("fails on the data problems above (--strict)"));
  EXPECT_EQ(count_of(strict.out, "Headless video 800x600, 5 frames"), 1) << "the check ran beside start-up";
}

TEST_F(ProgramOptions, StrictFailsWithoutTheStartScene) {
  const auto args = [this](bool strict) {
    std::vector<std::string> a = {"--headless", "--frames", "5", "--scene", "nowhere", game.path()};
    if (strict) a.insert(a.begin(), "--strict");
    return a;
  };
  const test_support::ProcessResult lenient = run(args(false));
  EXPECT_EQ(lenient.exit_code, 0);
  EXPECT_THAT(lenient.err, HasSubstr("No such scene \"nowhere\""));
  const test_support::ProcessResult strict = run(args(true));
  EXPECT_EQ(strict.exit_code, 1);
  EXPECT_THAT(strict.err, HasSubstr("No such scene \"nowhere\"\ntarnvale: start-up fails: there is no start scene (--strict)\n"));
}

}  // namespace
