// The program's start-up as a real process: exit codes and log lines.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "game_process.h"
#include "xserver.h"

using namespace game_test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string ONLY_GAME_SCENE =
    "[Scenes]\n\t[Scene0]\n\t\tname game\n\t\tfile res/game/game.scn\n\t\ttype GameScene\n\t[/]\n[/]\n";

class StartUp : public ::testing::Test {
protected:
  void SetUp() override { prepare_game_folder(folder); }
  test_support::ProcessResult run() {
    return test_support::run_process({test_support::built_program("tarnvale")}, folder.path(), 120, GAME_ENV);
  }
  test_support::ScratchDir folder;
};

TEST_F(StartUp, MissingVideoConfigurationFailsAtTheDefaultDriver) {
  std::remove(folder.file("cfg/Video.cfg").c_str());
  const auto result = run();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.out, HasSubstr("INFO:Video driver: libGL_vantor\n"));
  EXPECT_THAT(result.err, ::testing::ContainsRegex("CRITICAL ERROR at [^\n]*startup.cpp:[0-9]+\\(init\\):"
                                                   "Error while trying to create video from libGL_vantor:"));
}

TEST_F(StartUp, BadFontStopsBeforeAnyVideo) {
  folder.write("cfg/Game.cfg", "[Fonts]\n\t[Font0]\n\t\tname Broken\n\t\tsource res/fonts/none.ttf\n\t[/]\n[/]\n");
  const auto result = run();
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_THAT(result.out, HasSubstr("INFO:Loading font: \"Broken\" from source: res/fonts/none.ttf\n"));
  EXPECT_THAT(result.err, HasSubstr("(init_fonts):Error while loading font:"));
  EXPECT_THAT(result.out, Not(HasSubstr("Video driver")));
}

TEST_F(StartUp, MissingGameConfigurationStartsWithoutFontsAtStartScreen) {
  REQUIRE_X_SERVER();
  std::remove(folder.file("cfg/Game.cfg").c_str());
  folder.write("res/scenes.scns", ONLY_GAME_SCENE);
  const auto result = run();
  // Only "game" is listed, so the run loop ends at once on the default start scene.
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_THAT(result.out, Not(HasSubstr("Loading font")));
  EXPECT_THAT(result.err, HasSubstr("No such scene \"start_screen\""));
}

TEST_F(StartUp, FontListEndsAtTheFirstGap) {
  REQUIRE_X_SERVER();
  folder.write("cfg/Game.cfg",
               "[Fonts]\n\t[Font0]\n\t\tname Font0\n\t\tsource res/fonts/DejaVuSans.ttf\n\t[/]\n"
               "\t[Font2]\n\t\tname Font2\n\t\tsource res/fonts/none.ttf\n\t[/]\n[/]\n"
               "[Options]\n\tStartScene nowhere\n[/]\n");
  folder.write("res/scenes.scns", ONLY_GAME_SCENE);
  const auto result = run();
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(count_of(result.out, "INFO:Loading font:"), 1);
  EXPECT_THAT(result.err, HasSubstr("No such scene \"nowhere\""));
}

}  // namespace
