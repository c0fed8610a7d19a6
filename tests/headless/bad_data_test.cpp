// Broken data through the real program on the windowless driver, one small case per kind of
// mistake: the program ends on its own with exit code 0, nothing crashed, memory stayed bounded,
// and one line names the file (and the key) at fault.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "game_process.h"

using ::testing::HasSubstr;
using ::testing::Not;

namespace {

// Frames each run lasts: enough for the game scene to load, emit and draw.
const int FRAMES = 40;
// A sanitized run of the shipped game stays well under this.
const long MEMORY_LIMIT_KB = 600 * 1024;

struct Outcome {
  int exit_code = -1;
  bool ended = false;
  long peak_kb = 0;
  std::string out, err;
};

class BadData : public ::testing::Test {
protected:
  void SetUp() override {
    game_test::prepare_game_folder(folder, "game");
    video = folder.read("cfg/Video.cfg");
    const std::string driver = "Driver libGL_tessar";
    ASSERT_NE(video.find(driver), std::string::npos);
    replace(&video, driver, "Driver libheadless_tessar\n\tFrames " + std::to_string(FRAMES));
    folder.write("cfg/Video.cfg", video);
  }

  static void replace(std::string* text, const std::string& from, const std::string& to) {
    const std::size_t at = text->find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text->replace(at, from.size(), to);
  }
  // Changes one data file of the folder.
  void edit(const std::string& file, const std::string& from, const std::string& to) {
    std::string text = folder.read(file);
    replace(&text, from, to);
    folder.write(file, text);
  }

  // Runs the program to its end, sampling its memory; a run past the time limit is a hang.
  Outcome run() {
    Outcome result;
    test_support::ChildProcess child;
    EXPECT_TRUE(child.start({test_support::built_program("tarnvale")}, folder.path(), game_test::GAME_ENV));
    for (int i = 0; i < 1200 && !result.ended; ++i) {
      result.peak_kb = std::max(result.peak_kb, game_test::resident_kb(child.pid()));
      result.ended = child.wait(0.1);
    }
    if (!result.ended) child.kill_now();
    result.exit_code = child.exit_code();
    result.out = child.out();
    result.err = child.err();
    return result;
  }

  // The run ended by itself with the exit code (1: start-up refused), within the memory bound,
  // without a sanitizer's report, and said `message`.
  void expect_handled(const Outcome& r, const std::string& message, int exit_code = 0) {
    EXPECT_TRUE(r.ended) << "still running after two minutes";
    EXPECT_EQ(r.exit_code, exit_code) << r.err.substr(0, 3000);
    EXPECT_LT(r.peak_kb, MEMORY_LIMIT_KB);
    EXPECT_THAT(r.err, Not(HasSubstr("AddressSanitizer")));
    EXPECT_THAT(r.err, Not(HasSubstr("runtime error")));
    EXPECT_NE((r.err + r.out).find(message), std::string::npos)
        << message << "\nnot in:\n" << r.err.substr(0, 3000);
  }

  test_support::ScratchDir folder;
  std::string video;
};

// The checks must not refuse what the game ships.
TEST_F(BadData, TheShippedDataPassesEveryCheck) {
  for (const char* start : {"game", "start_screen"}) {
    game_test::prepare_game_folder(folder, start);
    folder.write("cfg/Video.cfg", video);
    const Outcome shipped = run();
    expect_handled(shipped, "INFO:Video driver: libheadless_tessar");
    for (const char* complaint : {"is not a number", "is not finite", "is out of range",
                                  "Can't load", "not a style"})
      EXPECT_THAT(shipped.err, Not(HasSubstr(complaint))) << start;
  }
}

TEST_F(BadData, RunawayStructuresEndWithAMessage) {
  // A window whose inner scene is its own file recursed until the stack overflowed.
  edit("res/game/game.scn", "internal_scene_file res/game/game_over_window.scn",
       "internal_scene_file res/game/game.scn");
  expect_handled(run(), "Scene file \"res/game/game.scn\" includes itself through window \"game_over\"");

  // A cycle through two windows: the game-over window holds one that opens the game again.
  SetUp();
  folder.write("res/game/game_over_window.scn",
               "[Scene]\n[Objects]\n[Object0]\nname loop\n[/]\n[/]\n[/]\n[Objects]\n[loop]\ntype Window\n"
               "[Image]\nimage_file res/interface/window.png\n[/]\n[Window]\n"
               "internal_scene_file res/game/game.scn\n[/]\n[/]\n[/]\n");
  expect_handled(run(), "Scene file \"res/game/game.scn\" includes itself through window \"loop\"");

  // A timer of time 0 whose time_out rises its own cycle slot.
  SetUp();
  edit("res/game/game.scn", "\t\t\trepeat true\n\t\t\ttime 5", "\t\t\trepeat true\n\t\t\ttime 0");
  edit("res/game/game.scn", "\t\t\t\tslot_name _on_new_cycle\n\t\t\t[/]\n\t\t[/]\n\t[/]\n\t// ",
       "\t\t\t\tslot_name _on_new_cycle\n\t\t\t[/]\n\t\t\t[signal2]\n\t\t\t\tconnect on_load\n"
       "\t\t\t\tsignal_source game->refill\n\t\t\t\tsignal_name time_out\n\t\t\t\tslot_name _on_new_cycle\n"
       "\t\t\t[/]\n\t\t[/]\n\t[/]\n\t// ");
  const Outcome loop = run();
  expect_handled(loop, "SIGNAL:\"game->refill->time_out\" risen again inside its own delivery 32 deep");
  EXPECT_EQ(test_support::count_of(loop.err, "risen again"), 1) << "one message, not one a frame";
}

TEST_F(BadData, NumbersOutsideTheirRangeAreNamedAndReplaced) {
  // Non-finite wall: Box2D's assertion once aborted the program.
  edit("res/game/level.lvl", "absolute_x -0.3241", "absolute_x inf");
  expect_handled(run(), "res/game/level.lvl: Borders->border0->SceneObject->absolute_x \"inf\" is not "
                        "finite; the object is left out");

  SetUp();
  edit("res/game/level.lvl", "rotation 45", "rotation nan");
  edit("res/game/game.scn", "initialEmit 81", "initialEmit 1000000000");
  edit("res/game/game.scn", "velocityIterations 10", "velocityIterations 1000000000");
  edit("res/game/game.scn", "gravity_y -60", "gravity_y 1e999");
  const Outcome counts = run();
  expect_handled(counts, "res/game/level.lvl: Borders->border1->Border->rotation \"nan\" is not finite; using 0");
  EXPECT_THAT(counts.err, HasSubstr("res/game/game.scn: Objects->emitter->StoneEmitter->initialEmit "
                                    "\"1000000000\" is out of range 0 to 1000; using 50"));
  EXPECT_THAT(counts.err, HasSubstr("res/game/game.scn: Scene->velocityIterations \"1000000000\" is out of range 1 to 1000; using 10"));
  EXPECT_THAT(counts.err, HasSubstr("res/game/game.scn: Scene->gravity_y \"1e999\" is not finite; using 0"));

  // Sizes once went through a cast to short; a frame limit below one a second never ended a frame.
  SetUp();
  edit("cfg/Video.cfg", "Width 800", "Width 65600");
  edit("cfg/Video.cfg", "LimitFPS 60", "LimitFPS 0.000001");
  const Outcome window = run();
  expect_handled(window, "cfg/Video.cfg: Video->Width \"65600\" is out of range 1 to 16384; using 800");
  EXPECT_THAT(window.err, HasSubstr("cfg/Video.cfg: Video->LimitFPS \"0.000001\" is out of range 1 to 10000 (or 0 for off); using 0.0"));
}

TEST_F(BadData, UnreadableFilesAreNamedWithTheReason) {
  // A truncated picture: its own loader's reason, not "background.png.png".
  folder.write("res/game/background.png", folder.read("res/game/background.png").substr(0, 100));
  const Outcome picture = run();
  expect_handled(picture, "res/game/background.png");
  EXPECT_THAT(picture.err, Not(HasSubstr("background.png.png")));

  SetUp();
  edit("cfg/Game.cfg", "source res/fonts/DejaVuSans.ttf", "source res/fonts/Absent.ttf");
  expect_handled(run(), "Error while loading font:Cant open file, or file is broken: \"res/fonts/Absent.ttf\": "
                        "res/fonts/Absent.ttf: No such file or directory",
                 1);

  SetUp();
  std::remove(folder.file("res/scenes.scns").c_str());
  expect_handled(run(), "Can't load the scene list, going on without its scenes: res/scenes.scns: No such file or directory");

  SetUp();
  std::remove(folder.file("res/interface/base.style").c_str());
  expect_handled(run(), "res/interface/base.style: No such file or directory");

  SetUp();
  std::remove(folder.file("res/game/level.lvl").c_str());
  expect_handled(run(), "Can't load the level of scene \"game\" (res/game/game.scn Scene->level), going on "
                        "without walls: res/game/level.lvl: No such file or directory");

  SetUp();
  edit("res/scenes.scns", "file res/game/game.scn", "file res/game/absent.scn");
  expect_handled(run(), "Can't load scene \"game\", going on with an empty one: res/game/absent.scn: No such file or directory");
}

TEST_F(BadData, MistakesInScenesAreNamedWithTheFile) {
  // A listed object without its section.
  edit("res/game/game.scn", "\t\t[Object0]\n\t\t\tname background", "\t\t[Object0]\n\t\t\tname backgorund");
  expect_handled(run(), "object \"backgorund\" has no section \"Objects->backgorund->type\" in \"res/game/game.scn\"");

  SetUp();
  edit("res/game/game.scn", "style Label", "style Lable");
  expect_handled(run(), "res/game/game.scn: Objects->score->BaseUIObject->style \"Lable\" is not a style of "
                        "the style set \"BaseStyle\"");

  SetUp();
  edit("cfg/Video.cfg", "Driver libheadless_tessar", "Driver ");
  expect_handled(run(), "cfg/Video.cfg: Video->Driver is empty: no video driver named", 1);

  // The start-up file itself missing: defaults, and a line that says so.
  SetUp();
  std::remove(folder.file("cfg/Game.cfg").c_str());
  const Outcome no_game = run();
  expect_handled(no_game, "Can't load the game settings, going on with defaults: cfg/Game.cfg: No such file or directory");
  // Log lines carry the source file's name, not the build machine's path.
  EXPECT_THAT(no_game.err, HasSubstr("CRITICAL ERROR at startup.cpp:"));
}

// Modules named by Game.cfg: the good one's type is placed by the shipped start screen; each
// one that cannot run costs one line naming the file and the key, and start-up goes on.
TEST_F(BadData, GameModulesThatCannotRunAreLeftOutWithOneLineEach) {
  game_test::prepare_game_folder(folder, "start_screen");
  folder.write("cfg/Video.cfg", video);
  std::string game = folder.read("cfg/Game.cfg");
  replace(&game, "[Options]\n", "[Options]\n\t[Modules]\n\t\tModule0 libtest_module_counter\n"
          "\t\tModule1 libno_such_module\n\t\tModule2 libtest_module_no_entry\n"
          "\t\tModule3 libtest_module_taken\n\t[/]\n");
  folder.write("cfg/Game.cfg", game);
  edit("res/scenes/start_screen.scn", "name background", "name counter");
  std::string start = folder.read("res/scenes/start_screen.scn");
  start.insert(start.rfind("[/]"),
               "\t[counter]\n\t\ttype Counter\n\t\t[Counter]\n\t\t\tstart 7\n\t\t[/]\n\t[/]\n");
  folder.write("res/scenes/start_screen.scn", start);

  const Outcome r = run();
  expect_handled(r, "Counter counter starts at 7");
  EXPECT_THAT(r.out, HasSubstr("INFO:Game module: libtest_module_counter\n"));
  const std::string key = "cfg/Game.cfg: Options->Modules->Module";
  EXPECT_EQ(game_test::count_of(r.err, key), 3) << r.err.substr(0, 3000);
  EXPECT_THAT(r.err, HasSubstr(key + "1 \"libno_such_module\" cannot be loaded: "));
  EXPECT_THAT(r.err, HasSubstr(key + "2 \"libtest_module_no_entry\" has no entry point"));
  EXPECT_THAT(r.err, HasSubstr(key + "3 \"libtest_module_taken\" declares the type \"Image\""));
}

}  // namespace
