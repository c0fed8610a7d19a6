// The files the game keeps between runs: scores.cfg (the ten best games) and settings.cfg (the
// remembered UI settings), in a data folder of the test's own.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "GameEngine/flow/best_scores.h"
#include "GameEngine/flow/saved_settings.h"
#include "GameEngine/flow/user_file.h"
#include "brannow/brannow.h"
#include "carrow/config.h"
#include "panolet/ui.h"
#include "scratch.h"

using ::testing::HasSubstr;

namespace {

class KeptFiles : public ::testing::Test {
protected:
  void SetUp() override {
    files.register_brannow(Brannow::CreatePosixFile);
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  }
  std::string kept(const std::string& name) const { return data.file("tarnvale/" + name); }

  test_support::ScratchDir data;
  Brannow::FileManager files{100};
};

TEST_F(KeptFiles, TheDataFolderFollowsXdgDataHomeThenHome) {
  EXPECT_EQ(user_data_folder(), data.path() + "/tarnvale");
  unsetenv("XDG_DATA_HOME");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  EXPECT_EQ(user_data_folder(), home.empty() ? "" : home + "/.local/share/tarnvale");
  setenv("XDG_DATA_HOME", "", 1);
  EXPECT_EQ(user_data_folder(), home.empty() ? "" : home + "/.local/share/tarnvale") << "empty counts as unset";
}

TEST_F(KeptFiles, EachGameKeepsItsFilesInAFolderOfItsOwnName) {
  Config_Interface* game = fresh_config("GameConfig");
  ASSERT_NE(game, nullptr);
  game->set_value("Options->GameName", "pegfall", true);
  EXPECT_EQ(BestScores(&files).path(), data.path() + "/pegfall/scores.cfg");
  // Not one folder name: the shipped game's folder, never a path out of the data folder.
  for (const char* name : {"../elsewhere", "..", ""}) {
    game->set_value("Options->GameName", name, true);
    EXPECT_EQ(user_data_folder(), data.path() + "/tarnvale") << name;
  }
  config_remove("GameConfig");
}

TEST_F(KeptFiles, ScoresAreWrittenReadBackAndRankedBestFirst) {
  BestScores best(&files);
  EXPECT_TRUE(best.load()) << "no file yet reads as an empty list";
  EXPECT_EQ(best.rank_of(0), 1u);
  EXPECT_EQ(best.add("Ada", 40, "2024-05-01"), 1u);
  EXPECT_EQ(best.add("Bo", 90, "2024-05-02"), 1u);
  EXPECT_EQ(best.add("Cy", 40, "2024-05-03"), 3u) << "an equal score already there stays ahead";
  ASSERT_TRUE(best.save());
  EXPECT_FALSE(std::filesystem::exists(kept("scores.cfg.tmp" + std::to_string(getpid()))));

  const std::string text = test_support::read_file(kept("scores.cfg"));
  EXPECT_THAT(text, HasSubstr("[Scores]"));
  BestScores again(&files);
  ASSERT_TRUE(again.load());
  ASSERT_EQ(again.entries().size(), 3u);
  EXPECT_EQ(again.entries()[0].name, "Bo");
  EXPECT_EQ(again.entries()[0].score, 90);
  EXPECT_EQ(again.entries()[1].name, "Ada");
  EXPECT_EQ(again.entries()[2].date, "2024-05-03");

  // Ten are kept: the eleventh best falls off, a score below them all makes no place.
  for (int i = 0; i < 8; ++i) again.add("P" + std::to_string(i), 50 + i, "2024-06-01");
  EXPECT_EQ(again.entries().size(), 10u);
  EXPECT_EQ(again.entries().back().name, "Ada") << "Cy fell off";
  EXPECT_EQ(again.rank_of(40), 0u);
  EXPECT_EQ(again.add("Late", 10, "2024-06-02"), 0u);
  EXPECT_EQ(again.rank_of(91), 1u);

  // A game below the minimum is not entered, the list left as it was; one at the minimum is.
  EXPECT_EQ(BestScores::enter(&files, "Idle", 0, 1), 0u);
  EXPECT_EQ(test_support::read_file(kept("scores.cfg")), text);
  EXPECT_EQ(BestScores::enter(&files, "Fair", 100, 100), 1u);
}

TEST_F(KeptFiles, AHandEditedListIsSortedAndANameKeepsToItsLine) {
  data.write("tarnvale/scores.cfg",
             "[Scores]\n\t[Score0]\n\t\tname Low\n\t\tscore 5\n\t[/]\n"
             "\t[Score1]\n\t\tname High\n\t\tscore 70\n\t\tdate 2023-01-01\n\t[/]\n[/]\n");
  BestScores best(&files);
  ASSERT_TRUE(best.load());
  ASSERT_EQ(best.entries().size(), 2u);
  EXPECT_EQ(best.entries()[0].name, "High");
  best.add("Two\nlines", 6, "2024-01-01");
  ASSERT_TRUE(best.save());
  BestScores again(&files);
  ASSERT_TRUE(again.load());
  ASSERT_EQ(again.entries().size(), 3u);
  EXPECT_EQ(again.entries()[1].name, "Two lines");
}

TEST_F(KeptFiles, AnUnreadableScoresFileIsReportedMovedAsideAndNotOverwritten) {
  const std::string bad_cases[] = {
      "[Scores]\n\t[Score0]\n\t\tname Eve\n\t\tscore lots\n\t[/]\n[/]\n",  // not a number
      "\x89PNG\r\n\x1a\n binary junk",                                    // not a scores file
  };
  for (const std::string& content : bad_cases) {
    data.write("tarnvale/scores.cfg", content);
    BestScores best(&files);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(best.load());
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_THAT(report, HasSubstr("scores.cfg"));
    EXPECT_THAT(report, HasSubstr("moved aside"));
    EXPECT_TRUE(best.entries().empty());
    EXPECT_FALSE(std::filesystem::exists(kept("scores.cfg")));
    EXPECT_EQ(test_support::read_file(kept("scores.cfg.bad")), content) << "kept as it was";
    best.add("Next", 3, "2024-01-01");
    EXPECT_TRUE(best.save());
    EXPECT_EQ(test_support::read_file(kept("scores.cfg.bad")), content);
  }
  // A folder where the file should be cannot be read either; it goes aside the same way.
  std::filesystem::remove(kept("scores.cfg"));
  std::filesystem::remove(kept("scores.cfg.bad"));
  std::filesystem::create_directories(kept("scores.cfg"));
  BestScores best(&files);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(best.load());
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::filesystem::is_directory(kept("scores.cfg.bad")));
}

TEST_F(KeptFiles, AFolderThatCannotBeWrittenIsReportedWithoutACrash) {
  // A plain file where the data folder's parent should be: nothing can be made below it (this
  // holds for root too, unlike a folder without write permission).
  data.write("blocked", "a file, not a folder");
  setenv("XDG_DATA_HOME", data.file("blocked/data").c_str(), 1);
  BestScores best(&files);
  EXPECT_TRUE(best.load());
  best.add("Ada", 12, "2024-01-01");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(best.save());
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Can't make the folder"));
  EXPECT_FALSE(best.error().empty());

  // A folder without write permission (not for root, who may write anyway).
  if (geteuid() != 0) {
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    std::filesystem::create_directories(kept(""));
    std::filesystem::permissions(kept(""), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(best.save());
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Can't write"));
    std::filesystem::permissions(kept(""), std::filesystem::perms::owner_all);
  }
}

TEST_F(KeptFiles, SettingsComeBackAtStartAndAreWrittenWhenTheyChange) {
  data.write("tarnvale/settings.cfg", "[Settings]\n\tPlayerName Ada Lovelace\n\tOther kept\n[/]\n");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(remember_settings({"PlayerName", "ShowFrameRate", "Bad->Name"}, &files));
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("\"Bad->Name\""));
  EXPECT_EQ(ui_get_setting("PlayerName", ""), "Ada Lovelace");
  EXPECT_EQ(ui_get_setting("ShowFrameRate", "none"), "none") << "not in the file: untouched";

  ui_set_setting("ShowFrameRate", "1");
  ui_set_setting("Unsaved", "x");
  const std::string text = test_support::read_file(kept("settings.cfg"));
  EXPECT_THAT(text, HasSubstr("ShowFrameRate 1"));
  EXPECT_THAT(text, HasSubstr("PlayerName Ada Lovelace"));
  EXPECT_THAT(text, ::testing::Not(HasSubstr("Unsaved")));

  // A broken file is moved aside and the settings keep what they had.
  data.write("tarnvale/settings.cfg", "no sections at all");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(remember_settings({"PlayerName"}, &files));
  EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("settings.cfg"));
  EXPECT_TRUE(std::filesystem::exists(kept("settings.cfg.bad")));
  EXPECT_EQ(ui_get_setting("PlayerName", ""), "Ada Lovelace");
  remember_settings({}, &files);
}

}  // namespace
