// The run loop end to end on the real driver under a private Xvfb: real clicks move the focus
// and reach object slots, typed keys switch scenes, an unknown scene name reactivates the
// current one, "exit" and the window's close request end the loop with exit code 0.

#include <gtest/gtest.h>

#include "process.h"
#include "scratch.h"
#include "x_window.h"
#include "xserver.h"

namespace {

using test_support::ChildProcess;
using test_support::click;
using test_support::count_of;
using test_support::run_process;

// Waits until the program has printed `text` `times` times; false when it ends or time runs out.
bool wait_for(ChildProcess& program, const std::string& text, int times = 1) {
  return test_support::wait_for_output(program, text, 30, times);
}

void type_key(const std::string& key) { run_process({"xdotool", "key", key}, ".", 10); }

std::string declaration(int index, const std::string& connect, const std::string& signal,
                        const std::string& slot) {
  return "\t\t\t[signal" + std::to_string(index) + "]\n\t\t\t\tconnect " + connect +
         "\n\t\t\t\ttype builtin\n\t\t\t\tsignal_source Video\n\t\t\t\tsignal_name " + signal +
         "\n\t\t\t\tslot_name " + slot + "\n\t\t\t[/]\n";
}

// A 200 x 150 pixel probe at (x, 0): it covers x .. x + 0.5 and y 0 .. 0.5.
std::string probe(const std::string& name, const std::string& x, const std::string& signals,
                  const std::string& next_scene) {
  return "\t[" + name + "]\n\t\ttype Probe\n\t\t[SceneObject]\n\t\t\tabsolute_x " + x +
         "\n\t\t[/]\n\t\t[Probe]\n\t\t\twidth 200\n\t\t\theight 150\n\t\t\tnext_scene " +
         next_scene + "\n\t\t[/]\n\t\t[signals]\n" + signals + "\t\t[/]\n\t[/]\n";
}

std::string scene(const std::string& first, const std::string& second, const std::string& objects) {
  return "[Scene]\n\t[Objects]\n\t\t[Object0]\n\t\t\tname " + first +
         "\n\t\t[/]\n\t\t[Object1]\n\t\t\tname " + second + "\n\t\t[/]\n\t[/]\n[/]\n[Objects]\n" +
         objects + "[/]\n";
}

class RunLoop : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    dir.write("video.cfg",
              "[Video]\n\tWidth 800\n\tHeight 600\n\tBaseHeight 600\n\tCaption SceneLoop\n"
              "\tLimitFPS 60\n[/]\n");
    dir.write("one.scn",
              scene("a", "b",
                    probe("a", "-0.75",
                          declaration(0, "on_load", "mouse_release", "_on_mouse_release") +
                              declaration(1, "on_request", "keyboard_press", "_on_key_press"),
                          "") +
                        probe("b", "0.25",
                              declaration(0, "on_request", "keyboard_press", "_on_key_press") +
                                  declaration(1, "on_request", "character", "_on_custom"),
                              "two")));
    dir.write("two.scn",
              scene("t", "u",
                    probe("t", "-0.75", declaration(0, "on_load", "character", "_on_custom"),
                          "nowhere") +
                        probe("u", "0.25",
                              declaration(0, "on_request", "mouse_release", "_on_custom"),
                              "exit")));
    dir.write("scenes.scns",
              "[Scenes]\n\t[Scene0]\n\t\tname one\n\t\tfile one.scn\n\t\tpreload true\n\t[/]\n"
              "\t[Scene1]\n\t\tname two\n\t\tfile two.scn\n\t[/]\n[/]\n");
  }

  void start() {
    ASSERT_TRUE(program.start({test_support::built_program("scene_loop_program"), "video.cfg",
                               "scenes.scns", "one"},
                              dir.path(), {"ASAN_OPTIONS=detect_leaks=0"}));
    ASSERT_TRUE(wait_for(program, "b:draw")) << program.out() << program.err();
    window = test_support::find_window("SceneLoop", 30);
    ASSERT_FALSE(window.empty());
  }

  void expect_clean_end() {
    ASSERT_TRUE(wait_for(program, "loop ended")) << program.out() << program.err();
    ASSERT_TRUE(program.wait(30));
    EXPECT_EQ(program.exit_code(), 0) << program.err();
  }

  test_support::ScratchDir dir;
  ChildProcess program;
  std::string window;
};

TEST_F(RunLoop, ClicksAndKeysMoveTheFocusSwitchScenesAndExit) {
  start();

  click(window, -0.5f, 0.25f);
  ASSERT_TRUE(wait_for(program, "a:_on_activate")) << program.out();
  ASSERT_TRUE(wait_for(program, "a:_on_mouse_release -0.5 0.25")) << program.out();
  type_key("a");
  ASSERT_TRUE(wait_for(program, "a:_on_key_press 65")) << program.out();

  // The focus moves to b: a no longer hears keys, b hears keys and characters.
  click(window, 0.5f, 0.25f);
  ASSERT_TRUE(wait_for(program, "b:_on_activate")) << program.out();
  EXPECT_EQ(count_of(program.out(), "a:_on_mouse_release"), 2);
  type_key("b");
  ASSERT_TRUE(wait_for(program, "b:_on_key_press 66")) << program.out();
  EXPECT_EQ(count_of(program.out(), "a:_on_key_press"), 1);

  // b's character asked for scene two, which is loaded, activated and reinitialised.
  ASSERT_TRUE(wait_for(program, "b:_on_custom")) << program.out();
  ASSERT_TRUE(wait_for(program, "u:draw")) << program.out();
  ASSERT_TRUE(wait_for(program, "t:_on_scene_reinit")) << program.out();

  // t asks for a scene that does not exist: two is deactivated and activated again.
  type_key("c");
  ASSERT_TRUE(wait_for(program, "t:_on_custom")) << program.out();
  ASSERT_TRUE(wait_for(program, "t:_on_scene_reinit", 2)) << program.out();

  // u's release slot, connected by the reinit, asks for "exit".
  click(window, 0.0f, -0.5f);
  ASSERT_TRUE(wait_for(program, "u:_on_custom")) << program.out();
  expect_clean_end();
}

TEST_F(RunLoop, ClosingTheWindowEndsTheLoop) {
  start();
  ASSERT_TRUE(test_support::request_close(window));
  expect_clean_end();
  EXPECT_EQ(count_of(program.out(), "_on_"), 0) << program.out();
}

}  // namespace
