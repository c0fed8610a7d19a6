// The run loop end to end on the real driver under a private Xvfb: real clicks move the focus
// and reach object slots, typed keys switch scenes, an unknown scene name reactivates the
// current one, "exit" and the window's close request end the loop with exit code 0.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "process.h"
#include "scratch.h"
#include "xserver.h"

// After gtest: Xlib's macros (None, Bool, ...) would break its headers.
#include <X11/Xlib.h>

namespace {

using test_support::ChildProcess;
using test_support::run_process;

void pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Waits until the child has printed `text` `times` times; false when it ends or time runs out.
bool wait_for(ChildProcess& child, const std::string& text, int times = 1, double seconds = 30) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (count_of(child.out(), text) >= times) return true;
    if (!child.running()) return count_of(child.out(), text) >= times;
    pause(0.05);
  }
  return false;
}

std::string find_window(const std::string& caption) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto found = run_process({"xdotool", "search", "--name", caption}, ".", 10);
    if (found.exit_code == 0 && !found.out.empty()) return found.out.substr(0, found.out.find('\n'));
    pause(0.1);
  }
  return "";
}

// A left click at the normalised point (x, y) of the 800 x 600 window.
void click(const std::string& window, float x, float y) {
  run_process({"xdotool", "mousemove", "--window", window,
               std::to_string(static_cast<int>((x + 1) * 400)),
               std::to_string(static_cast<int>((1 - y) * 300))},
              ".", 10);
  pause(0.1);
  run_process({"xdotool", "click", "1"}, ".", 10);
}

void type_key(const std::string& key) { run_process({"xdotool", "key", key}, ".", 10); }

// What a window manager sends when the user closes the window.
void request_close(const std::string& window) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XEvent request{};
  request.xclient.type = ClientMessage;
  request.xclient.window = std::stoul(window);
  request.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  request.xclient.format = 32;
  request.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  request.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, request.xclient.window, False, NoEventMask, &request);
  XFlush(display);
  XCloseDisplay(display);
}

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
    window = find_window("SceneLoop");
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
  request_close(window);
  expect_clean_end();
  EXPECT_EQ(count_of(program.out(), "_on_"), 0) << program.out();
}

}  // namespace
