// The player's window through the real program from the shipped start screen: resized with the
// picture fitted and clicks landing on what is drawn, full screen and back, the Settings window
// and its remembered choices, and the menus worked with the keyboard alone.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <thread>

#include "game_process.h"
#include "process.h"
#include "scratch.h"
#include "window_picture.h"
#include "xserver.h"

using namespace game_test;

namespace {
void wait_seconds(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

void xdotool(std::vector<std::string> args) {
  args.insert(args.begin(), "xdotool");
  test_support::run_process(args, ".", 20);
}

struct Size {
  int width = 0, height = 0;
  bool operator==(const Size& other) const { return width == other.width && height == other.height; }
};

Size size_of(const std::string& window) {
  const auto result = test_support::run_process({"xdotool", "getwindowgeometry", "--shell", window}, ".", 20);
  Size size;
  const std::string& text = result.out;
  if (auto at = text.find("WIDTH="); at != std::string::npos) size.width = std::atoi(text.c_str() + at + 6);
  if (auto at = text.find("HEIGHT="); at != std::string::npos) size.height = std::atoi(text.c_str() + at + 7);
  return size;
}

bool becomes(const std::string& window, Size size) {
  for (int i = 0; i < 50; ++i, wait_seconds(0.1))
    if (size_of(window) == size) return true;
  return false;
}

// Start screen buttons, y of their centres.
const float NEW_GAME = 0.005f, SETTINGS = -0.52f, QUIT = -0.695f;
// The settings window is 560 x 420 in the middle of the 800 x 600 screen: its own -1 .. 1 is
// 0.7 of the screen's.
// The settings window (560 x 560 on the 800 x 600 picture), centred.
float in_window_x(float inner) { return 0.7f * inner; }
float in_window_y(float inner) { return 560.0f / 600.0f * inner; }

// A click at the normalised point of a window of that size (the picture fills it: 4:3).
void click_at(const std::string& window, Size size, float x, float y) {
  test_support::click_pixel(window, static_cast<int>((x + 1) / 2 * size.width),
                            static_cast<int>((1 - y) / 2 * size.height));
}

// The inside of a stone: bright, strongly coloured and the same all around, in both pictures.
bool stone_at(const WindowPicture& a, const WindowPicture& b, int x, int y) {
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx) {
      const auto c = a.colour(x + dx, y + dy), d = b.colour(x + dx, y + dy);
      const int high = std::max({c.red, c.green, c.blue}), low = std::min({c.red, c.green, c.blue});
      if (high < 150 || high - low < 90 || c.red != d.red || c.green != d.green || c.blue != d.blue)
        return false;
    }
  return true;
}

// A resting stone in the lower field at least `apart` (normalised) from (avoid_x, avoid_y),
// looked for until the pile has come to rest (30 seconds at most).
bool find_stone(Size size, float avoid_x, float avoid_y, float apart, int* x, int* y) {
  for (int attempt = 0; attempt < 60; ++attempt) {
    const WindowPicture first(size.width, size.height);
    wait_seconds(0.3);
    const WindowPicture second(size.width, size.height);
    if (!first.taken() || !second.taken()) return false;
    for (int py = size.height * 95 / 100; py > size.height / 2; py -= 3)
      for (int px = size.width / 4; px < size.width * 3 / 4; px += 3) {
        const float nx = 2.0f * px / size.width - 1, ny = 1 - 2.0f * py / size.height;
        if (std::hypot(nx - avoid_x, ny - avoid_y) < apart || !stone_at(first, second, px, py)) continue;
        *x = px;
        *y = py;
        return true;
      }
    wait_seconds(0.2);
  }
  return false;
}

WindowPicture::Colour colour_at(Size size, int x, int y) {
  const WindowPicture picture(size.width, size.height);
  return picture.taken() ? picture.colour(x, y) : WindowPicture::Colour{-1, -1, -1};
}

// Whether the stone of that colour near (x, y) turns to half its shade (selected) within three
// seconds. Looked for around the point: a pile that still settles may carry it a little.
bool selected_near(Size size, int x, int y, WindowPicture::Colour stone) {
  auto near = [](int value, int wanted) { return std::abs(value - wanted) <= 24; };
  for (int i = 0; i < 15; ++i, wait_seconds(0.2)) {
    const WindowPicture picture(size.width, size.height);
    if (!picture.taken()) continue;
    int shaded = 0;
    for (int py = std::max(0, y - 40); py < std::min(size.height, y + 40); ++py)
      for (int px = std::max(0, x - 40); px < std::min(size.width, x + 40); ++px) {
        const auto c = picture.colour(px, py);
        shaded += near(c.red, stone.red / 2) && near(c.green, stone.green / 2) && near(c.blue, stone.blue / 2);
      }
    if (shaded >= 60) return true;
  }
  return false;
}

class PlayerWindow : public ::testing::Test {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    folder.copy_from_source("cfg");
    folder.copy_from_source("res");
  }
  // A run of the program (a new one each time).
  void start() {
    running = std::make_unique<test_support::ChildProcess>();
    std::vector<std::string> env = GAME_ENV;
    env.push_back("XDG_DATA_HOME=" + folder.file("data"));
    env.push_back("TARNVALE_SEED=3");
    ASSERT_TRUE(running->start({test_support::built_program("tarnvale")}, folder.path(), env));
    ASSERT_TRUE(wait_for_output(*running, "quitbaseimage loaded", 60)) << running->err();
    window = find_window(30);
    ASSERT_FALSE(window.empty());
    wait_seconds(0.5);
  }
  void resize(Size size) {
    xdotool({"windowsize", window, std::to_string(size.width), std::to_string(size.height)});
    ASSERT_TRUE(becomes(window, size)) << size.width << "x" << size.height;
    wait_seconds(0.5);
  }
  void quit() {
    request_close(window);
    ASSERT_TRUE(running->wait(30)) << running->err();
    EXPECT_EQ(running->exit_code(), 0) << running->err();
  }
  test_support::ScratchDir folder;
  std::unique_ptr<test_support::ChildProcess> running;
  std::string window;
};

TEST_F(PlayerWindow, ResizedTheClicksHitTheStonesDrawnAndF11GoesFullScreenAndBack) {
  start();
  click(window, 0, NEW_GAME);
  ASSERT_TRUE(wait_for_output(*running, "backbaseimage loaded", 60)) << running->err();
  wait_seconds(2);

  const Size large{1024, 768}, small{640, 480};
  resize(large);
  int x = 0, y = 0;
  ASSERT_TRUE(find_stone(large, 9, 9, 0, &x, &y));
  const auto first = colour_at(large, x, y);
  test_support::click_pixel(window, x, y);
  EXPECT_TRUE(selected_near(large, x, y, first)) << "the stone at " << x << "," << y << " is not selected";
  const float first_x = 2.0f * x / large.width - 1, first_y = 1 - 2.0f * y / large.height;

  resize(small);
  ASSERT_TRUE(find_stone(small, first_x, first_y, 0.4f, &x, &y));
  // A stone far from the selected one: compared, and both let go.
  test_support::click_pixel(window, x, y);
  ASSERT_TRUE(wait_for_output(*running, "=1\n", 20)) << running->out();
  // A stone of a group that bursts meanwhile takes its selection with it: another is tried, the
  // selection cancelled first by a right click.
  bool selected = false;
  for (int attempt = 0; attempt < 3 && !selected; ++attempt) {
    if (attempt > 0) {
      test_support::click_pixel(window, x, y, 3);
      ASSERT_TRUE(find_stone(small, first_x, first_y, 0.4f, &x, &y));
    }
    const auto second = colour_at(small, x, y);
    test_support::click_pixel(window, x, y);
    selected = selected_near(small, x, y, second);
  }
  const std::string out = running->out();
  EXPECT_TRUE(selected) << "the stone at " << x << "," << y << " is not selected; the game's last lines:\n"
                        << out.substr(out.size() > 600 ? out.size() - 600 : 0);

  // Wider than the picture: black bands left and right of the 800 x 600 picture at x 112.
  const Size wide{1024, 600};
  resize(wide);
  const WindowPicture banded(wide.width, wide.height);
  ASSERT_TRUE(banded.taken());
  int lit_in_picture = 0;
  for (int row = 0; row < wide.height; row += 10) {
    for (int column : {0, 60, 110, 914, 1023}) EXPECT_EQ(banded.brightness(column, row), 0) << column << "," << row;
    lit_in_picture += banded.brightness(114, row) > 0;
  }
  EXPECT_GT(lit_in_picture, 0) << "the picture starts right of the band";

  xdotool({"key", "--window", window, "F11"});
  EXPECT_TRUE(becomes(window, {1024, 768})) << "full screen on the 1024 x 768 test screen";
  xdotool({"key", "--window", window, "F11"});
  EXPECT_TRUE(becomes(window, wide)) << "back to the window's size";
  // Left full screen, the next run opens full screen.
  xdotool({"key", "--window", window, "F11"});
  EXPECT_TRUE(becomes(window, {1024, 768}));
  quit();
  EXPECT_THAT(folder.read("data/tarnvale/settings.cfg"), ::testing::HasSubstr("FullScreen 1\n"));
}

TEST_F(PlayerWindow, TabAndEnterStartANewGameWithTheFocusedButtonDrawnAsHovered) {
  start();
  const Size screen{800, 600};
  // The left end of the New game button, clear of its caption.
  const int bx = 290, by = static_cast<int>((1 - NEW_GAME) / 2 * 600);
  const WindowPicture plain(screen.width, screen.height);
  xdotool({"key", "--window", window, "Tab"});
  wait_seconds(0.5);
  const WindowPicture focused(screen.width, screen.height);
  ASSERT_TRUE(plain.taken() && focused.taken());
  const auto a = plain.colour(bx, by), b = focused.colour(bx, by);
  EXPECT_TRUE(a.red != b.red || a.green != b.green || a.blue != b.blue) << "New game does not look focused";
  xdotool({"key", "--window", window, "Return"});
  ASSERT_TRUE(wait_for_output(*running, "backbaseimage loaded", 60)) << running->err();
  quit();
}

TEST_F(PlayerWindow, TheSettingsWindowChangesTheWindowAtOnceAndTheChoiceIsKept) {
  start();
  click(window, 0, SETTINGS);
  ASSERT_TRUE(wait_for_output(*running, "settings_window loaded", 30)) << running->err();
  wait_seconds(0.5);
  const Size large{1024, 768};
  click(window, in_window_x(0.15f), in_window_y(0.58f));  // "1024 × 768"
  ASSERT_TRUE(becomes(window, large));
  wait_seconds(0.5);
  click_at(window, large, in_window_x(-0.7f), in_window_y(0.08f));  // frame rate "30"
  click_at(window, large, 0, in_window_y(-0.8f));                   // "Close"
  wait_seconds(0.5);
  click_at(window, large, 0, QUIT);
  ASSERT_TRUE(running->wait(30)) << running->err();
  const std::string settings = folder.read("data/tarnvale/settings.cfg");
  EXPECT_THAT(settings, ::testing::HasSubstr("WindowSize 1024x768\n"));
  EXPECT_THAT(settings, ::testing::HasSubstr("FrameRate 30\n"));

  start();
  EXPECT_TRUE(size_of(window) == large) << "the next run opens the player's size";
  quit();
}

}  // namespace
