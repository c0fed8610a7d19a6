// Saves as inotify reports them, without a window: the debounce on its own clock, then the three
// ways editors save on a real folder.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <thread>

#include "save_watch.h"
#include "scratch.h"

namespace {

using Clock = SaveBatch::Clock;
using Files = std::vector<std::string>;
using std::chrono::milliseconds;

TEST(SaveBatch, GivesEachSaveOnceWhenItsEventsHaveSettled) {
  SaveBatch batch;
  const Clock::time_point t0{};
  EXPECT_EQ(batch.take(t0), Files{});
  // Delete and create, then the write: one save, not three.
  batch.note("res/a.scn", false, t0);
  batch.note("res/a.scn", false, t0 + milliseconds(1));
  batch.note("res/b.png", true, t0 + milliseconds(2));
  batch.note("res/a.scn", true, t0 + milliseconds(3));
  EXPECT_EQ(batch.take(t0 + milliseconds(10)), Files{}) << "more may come";
  EXPECT_EQ(batch.take(t0 + milliseconds(3) + SaveBatch::kSettled), (Files{"res/a.scn", "res/b.png"}));
  EXPECT_EQ(batch.take(t0 + milliseconds(500)), Files{});

  // A write still open waits longer; a delete alone counts once it is clear nothing follows.
  batch.note("res/c.lvl", false, t0);
  EXPECT_EQ(batch.take(t0 + milliseconds(100)), Files{});
  EXPECT_EQ(batch.take(t0 + SaveBatch::kAbandoned), Files{"res/c.lvl"});
}

class SaveWatchOnDisk : public ::testing::Test {
protected:
  void SetUp() override {
    folder.write("res/scenes/a.scn", "one\n");
    std::string error;
    ASSERT_TRUE(watch.start(folder.file("res"), [](const std::string& file) {
      return file.size() > 4 && file.compare(file.size() - 4, 4, ".scn") == 0;
    }, &error)) << error;
  }
  // What the watch gives out within the time.
  Files saves(milliseconds within = milliseconds(1000)) {
    std::string problem;
    const Clock::time_point end = Clock::now() + within;
    Files files;
    while (files.empty() && Clock::now() < end) {
      files = watch.saved(Clock::now(), &problem);
      std::this_thread::sleep_for(milliseconds(5));
    }
    EXPECT_EQ(problem, "");
    return files;
  }
  test_support::ScratchDir folder;
  SaveWatch watch;
};

TEST_F(SaveWatchOnDisk, SeesSavesInPlaceRenamedAndRemadeAndFoldersMadeLater) {
  const std::string file = folder.file("res/scenes/a.scn");
  folder.write("res/scenes/a.scn", "two\n");
  EXPECT_EQ(saves(), Files{file});

  // The temporary file is not wanted, and its rename is the one save.
  folder.write("res/scenes/a.scn.tmp", "three\n");
  ASSERT_EQ(std::rename(folder.file("res/scenes/a.scn.tmp").c_str(), file.c_str()), 0);
  EXPECT_EQ(saves(), Files{file});

  ASSERT_EQ(std::remove(file.c_str()), 0);
  folder.write("res/scenes/a.scn", "four\n");
  EXPECT_EQ(saves(), Files{file});

  // Written before the new folder's watch is added, maybe: seen or not.
  folder.write("res/new/b.scn", "five\n");
  saves(milliseconds(300));
  folder.write("res/new/b.scn", "six\n");
  EXPECT_EQ(saves(), Files{folder.file("res/new/b.scn")});
}

TEST_F(SaveWatchOnDisk, AWatchedFolderThatGoesIsOneProblemThenSilence) {
  ASSERT_EQ(std::remove(folder.file("res/scenes/a.scn").c_str()), 0);
  ASSERT_EQ(rmdir(folder.file("res/scenes").c_str()), 0);
  ASSERT_EQ(rmdir(folder.file("res").c_str()), 0);
  std::string problem;
  for (int i = 0; i < 100 && problem.empty(); ++i) {
    watch.saved(Clock::now(), &problem);
    std::this_thread::sleep_for(milliseconds(5));
  }
  EXPECT_EQ(problem, "the watched folder \"" + folder.file("res") + "\" went away; no more reloads");
  problem.clear();
  EXPECT_EQ(watch.saved(Clock::now(), &problem), Files{});
  EXPECT_EQ(problem, "");
}

}  // namespace
