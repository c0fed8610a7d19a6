// Real X input (xdotool, client messages) becoming the driver's queued events.
#include <gtest/gtest.h>

#include <GLFW/glfw3.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <vector>

#include "process.h"
#include "video_fixture.h"
#include "xserver.h"

// From GLFW's native access header, which would drag in the XRandR headers.
extern "C" unsigned long glfwGetX11Window(GLFWwindow* window);
bool send_close_request(unsigned long window);

namespace {

using video_test::open_driver;

class Input : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    video_ = open_driver(800, 600);
    ASSERT_TRUE(video_);
    window_id_ = std::to_string(glfwGetX11Window(video_->window()));
    xdotool({"windowfocus", window_id_});
    move_to(700, 500);  // away from every spot the tests move to
    video_->_enable_mouse_button_events(true);
    video_->_enable_key_events(true);
    video_->_enable_char_events(true);
    video_->_enable_mouse_move_events(true);
    drain();
  }

  void xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    auto result = test_support::run_process(args, ".", 20);
    ASSERT_EQ(result.exit_code, 0) << result.err;
  }

  void move_to(int x, int y) {
    xdotool({"mousemove", "--window", window_id_, std::to_string(x), std::to_string(y)});
  }

  // Frames until `done` holds for the events taken so far (or five seconds pass).
  std::vector<Event> pump(const std::function<bool(const std::vector<Event>&)>& done) {
    std::vector<Event> events;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done(events) && std::chrono::steady_clock::now() < give_up) {
      video_->_flip();
      for (Event e = video_->_get_event(); e._get_type() != NO_EVENT; e = video_->_get_event())
        events.push_back(e);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return events;
  }

  std::vector<Event> pump_until_type(EVENT_TYPE type, size_t count = 1) {
    return pump([=](const std::vector<Event>& events) {
      size_t n = 0;
      for (const Event& e : events) n += e.type == type;
      return n >= count;
    });
  }

  // Takes whatever is still on its way, for a few frames.
  void drain() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    pump([&](const std::vector<Event>&) { return std::chrono::steady_clock::now() >= until; });
  }

  static std::vector<Event> only(const std::vector<Event>& events, std::vector<EVENT_TYPE> types) {
    std::vector<Event> kept;
    for (const Event& e : events)
      for (EVENT_TYPE t : types)
        if (e.type == t) kept.push_back(e);
    return kept;
  }

  std::unique_ptr<OpenGL_Video> video_;
  std::string window_id_;
};

TEST_F(Input, MoveFromTopLeftToCentre) {
  // GLFW 3 never reports a move onto pixel (0, 0); enabling move events there queues one.
  video_->_enable_mouse_move_events(false);
  move_to(0, 0);
  drain();
  video_->_enable_mouse_move_events(true);
  Event corner = video_->_get_event();
  EXPECT_EQ(corner.type, MOUSE_MOVE);
  EXPECT_FLOAT_EQ(corner.x, -1);
  EXPECT_FLOAT_EQ(corner.y, 1);
  int px = 1, py = 1;
  video_->_get_mouse_position(&px, &py);
  EXPECT_EQ(px, -400);
  EXPECT_EQ(py, -300);
  double nx = 0, ny = 0;
  video_->_get_mouse_position(&nx, &ny);
  EXPECT_DOUBLE_EQ(nx, -1);
  EXPECT_DOUBLE_EQ(ny, 1);

  move_to(400, 300);
  auto events = pump([](const std::vector<Event>& e) {
    return !e.empty() && e.back().type == MOUSE_MOVE && e.back().x == 0 && e.back().y == 0;
  });
  ASSERT_FALSE(events.empty());
  const Event& last = events.back();
  EXPECT_EQ(last.buttons, 0);
  EXPECT_FLOAT_EQ(last.dx, 1);
  EXPECT_FLOAT_EQ(last.dy, -1);
}

// The pointer as read every frame (a window forwards it to its inner objects): inside the window,
// outside it, and after hiding and showing it (GLFW moves it then without a move event).
TEST_F(Input, PointerPositionFollowsMovesAndLeavingTheWindow) {
  auto move_and_read = [&](int x, int y, bool inside) {
    move_to(x, y);
    if (inside)
      pump([&](const std::vector<Event>& e) {
        return !e.empty() && e.back().type == MOUSE_MOVE && e.back().x == (x - 400) / 400.0f &&
               e.back().y == (300 - y) / 300.0f;
      });
    else
      drain();
    int px = 0, py = 0;
    video_->_get_mouse_position(&px, &py);
    EXPECT_EQ(px, x - 400) << x << "," << y;
    EXPECT_EQ(py, y - 300) << x << "," << y;
  };
  move_and_read(100, 150, true);
  move_and_read(500, 450, true);
  move_and_read(810, 620, false);
  move_and_read(300, 200, true);

  video_->_show_mouse(false);
  move_to(600, 450);
  drain();
  video_->_show_mouse(true);
  drain();
  double live_x = 0, live_y = 0;
  glfwGetCursorPos(video_->window(), &live_x, &live_y);
  int px = 0, py = 0;
  video_->_get_mouse_position(&px, &py);
  EXPECT_EQ(px, static_cast<int>(std::floor(live_x)) - 400);
  EXPECT_EQ(py, static_cast<int>(std::floor(live_y)) - 300);
}

TEST_F(Input, RightClickAtTheCentre) {
  move_to(400, 300);
  pump_until_type(MOUSE_MOVE);
  xdotool({"click", "3"});
  auto events = only(pump_until_type(MOUSE_RELEASE), {MOUSE_PRESS, MOUSE_RELEASE});
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].type, MOUSE_PRESS);
  EXPECT_EQ(events[0].buttons, MOUSE_BUTTON_RIGHT);
  EXPECT_FLOAT_EQ(events[0].x, 0);
  EXPECT_FLOAT_EQ(events[0].y, 0);
  EXPECT_EQ(events[1].type, MOUSE_RELEASE);
  EXPECT_EQ(events[1].buttons, MOUSE_BUTTON_RIGHT);
  EXPECT_FLOAT_EQ(events[1].dx, 0);  // no move between press and release

  // Button deltas run against the previous button event, not the last move.
  move_to(600, 150);
  xdotool({"click", "2"});
  events = only(pump_until_type(MOUSE_RELEASE), {MOUSE_PRESS});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].buttons, MOUSE_BUTTON_MIDDLE);
  EXPECT_FLOAT_EQ(events[0].x, 0.5f);
  EXPECT_FLOAT_EQ(events[0].y, 0.5f);
  EXPECT_FLOAT_EQ(events[0].dx, 0.5f);
  EXPECT_FLOAT_EQ(events[0].dy, 0.5f);
}

TEST_F(Input, DraggingCarriesTheHeldButtons) {
  move_to(100, 100);
  pump_until_type(MOUSE_MOVE);
  xdotool({"mousedown", "1"});
  pump_until_type(MOUSE_PRESS);
  MOUSE_BUTTON left = MOUSE_BUTTON_LEFT, other = static_cast<MOUSE_BUTTON>(16);
  EVENT_TYPE state = MOUSE_RELEASE;
  video_->_get_mouse_button_state(&left, &state);
  EXPECT_EQ(state, MOUSE_PRESS);
  video_->_get_mouse_button_state(&other, &state);  // unknown buttons mean the left one
  EXPECT_EQ(state, MOUSE_PRESS);
  MOUSE_BUTTON right = MOUSE_BUTTON_RIGHT;
  video_->_get_mouse_button_state(&right, &state);
  EXPECT_EQ(state, MOUSE_RELEASE);

  move_to(200, 100);
  auto moves = only(pump_until_type(MOUSE_MOVE), {MOUSE_MOVE});
  ASSERT_FALSE(moves.empty());
  EXPECT_EQ(moves.back().buttons, MOUSE_BUTTON_LEFT);
  xdotool({"mouseup", "1"});
  pump_until_type(MOUSE_RELEASE);
}

// One stroke of a key: press (with its character, if any), repeated only if the machine stalled
// long enough for the server's auto-repeat, then one release without a character.
void expect_one_keystroke(const std::vector<Event>& events, int key, int character) {
  const size_t per_press = character != 0 ? 2 : 1;
  ASSERT_GE(events.size(), per_press + 1);
  ASSERT_EQ((events.size() - 1) % per_press, 0u);
  for (size_t i = 0; i + 1 < events.size(); i += per_press) {
    EXPECT_EQ(events[i].type, KEYBOARD_PRESS);
    EXPECT_EQ(events[i].key, key);
    EXPECT_EQ(events[i].character, 0);
    if (character != 0) {
      EXPECT_EQ(events[i + 1].type, CHARACTER);
      EXPECT_EQ(events[i + 1].character, character);
      EXPECT_EQ(events[i + 1].key, 0);
    }
  }
  EXPECT_EQ(events.back().type, KEYBOARD_RELEASE);
  EXPECT_EQ(events.back().key, key);
}

TEST_F(Input, KeysAndCharacters) {
  xdotool({"key", "a"});
  auto events = only(pump_until_type(KEYBOARD_RELEASE), {KEYBOARD_PRESS, KEYBOARD_RELEASE, CHARACTER});
  expect_one_keystroke(events, 'A', 'a');

  xdotool({"type", "Hi!"});
  auto chars = only(pump_until_type(CHARACTER, 3), {CHARACTER});
  ASSERT_EQ(chars.size(), 3u);
  EXPECT_EQ(chars[0].character, 'H');
  EXPECT_EQ(chars[1].character, 'i');
  EXPECT_EQ(chars[2].character, '!');
  drain();
}

TEST_F(Input, SpecialKeysKeepTheirNumbers) {
  const std::vector<std::pair<std::string, int>> keys = {
      {"Escape", 257}, {"F1", 258},     {"F12", 269},   {"Up", 283},        {"Right", 286},
      {"Shift_L", 287}, {"Control_L", 289}, {"Tab", 293}, {"Return", 294},   {"BackSpace", 295},
      {"Delete", 297}, {"End", 301},    {"KP_Enter", 318}, {"space", 32}};
  for (const auto& [name, code] : keys) {
    xdotool({"key", name});
    SCOPED_TRACE(name);
    expect_one_keystroke(only(pump_until_type(KEYBOARD_RELEASE), {KEYBOARD_PRESS, KEYBOARD_RELEASE}),
                         code, 0);
  }
}

TEST_F(Input, PressesAndReleasesKeepTheirOrder) {
  xdotool({"keydown", "b", "keydown", "c", "keyup", "b"});
  auto events = only(pump_until_type(KEYBOARD_RELEASE), {KEYBOARD_PRESS, KEYBOARD_RELEASE});
  xdotool({"keyup", "c"});
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[0].type, KEYBOARD_PRESS);
  EXPECT_EQ(events[0].key, 'B');
  EXPECT_EQ(events[1].type, KEYBOARD_PRESS);
  EXPECT_EQ(events[1].key, 'C');
  EXPECT_EQ(events.back().type, KEYBOARD_RELEASE);
  EXPECT_EQ(events.back().key, 'B');
  pump_until_type(KEYBOARD_RELEASE);
}

TEST_F(Input, DisabledCallbacksQueueNothing) {
  video_->_enable_key_events(false);
  video_->_enable_char_events(false);
  video_->_enable_mouse_move_events(false);
  xdotool({"key", "x"});
  move_to(10, 10);
  xdotool({"key", "y"});
  drain();  // the window takes its input only while frames are flipped
  video_->_enable_key_events(true);
  xdotool({"key", "z"});
  auto events = only(pump_until_type(KEYBOARD_RELEASE), {KEYBOARD_PRESS, KEYBOARD_RELEASE,
                                                          CHARACTER, MOUSE_MOVE});
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].key, 'Z');
}

TEST_F(Input, CloseRequestQueuesQuitAndKeepsTheWindow) {
  ASSERT_TRUE(send_close_request(glfwGetX11Window(video_->window())));

  auto events = only(pump_until_type(QUIT), {QUIT});
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].key, 0);
  EXPECT_FALSE(glfwWindowShouldClose(video_->window()));
  EXPECT_TRUE(video_->has_window());
  video_->_flip();
}

TEST_F(Input, CursorVisibility) {
  EXPECT_EQ(glfwGetInputMode(video_->window(), GLFW_CURSOR), GLFW_CURSOR_NORMAL);
  video_->_show_mouse(false);
  EXPECT_EQ(glfwGetInputMode(video_->window(), GLFW_CURSOR), GLFW_CURSOR_DISABLED);
  video_->_show_cursor(true);
  EXPECT_EQ(glfwGetInputMode(video_->window(), GLFW_CURSOR), GLFW_CURSOR_NORMAL);
}

TEST(InputSettings, HiddenMouseByDefault) {
  REQUIRE_X_SERVER();
  auto video = open_driver(200, 200, {{"HideMouse", "yes"}});
  ASSERT_TRUE(video);
  EXPECT_EQ(glfwGetInputMode(video->window(), GLFW_CURSOR), GLFW_CURSOR_DISABLED);
}

}  // namespace
