// The game as a player starts it, through the real program and real X input: the start screen,
// New game, a stone selected and judged, Menu, Continue, round after round.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

#include "game_process.h"
#include "window_picture.h"
#include "xserver.h"

using namespace game_test;

namespace {

const int WIDTH = 800, HEIGHT = 600;
// The lowest point of the V-shaped floor: a stone always lies there once stones have fallen.
const int TIP_X = 400, TIP_Y = 556;

using Picture = WindowPicture;

float scene_x(int px) { return px * 2.0f / WIDTH - 1.0f; }
float scene_y(int py) { return 1.0f - py * 2.0f / HEIGHT; }

// The left wall stands where the start screen has its dark background.
bool field_shown(const Picture& picture) {
  const Picture::Colour wall = picture.colour(144, 300);
  return wall.red > 90 && std::abs(wall.red - wall.blue) < 40;
}

// The start screen's New game button, without the game's wall.
bool start_screen_shown(const Picture& picture) {
  const Picture::Colour button = picture.colour(300, 300);
  return !field_shown(picture) && button.blue > 90 && button.blue > button.red + 40;
}

// A button's hover picture has a yellow frame: looked for along a row across its left edge.
bool hover_frame_in_row(const Picture& picture, int from_x, int to_x, int y) {
  for (int x = from_x; x <= to_x; ++x) {
    const Picture::Colour c = picture.colour(x, y);
    if (c.red > 200 && c.green > 160 && c.blue < 140) return true;
  }
  return false;
}
bool play_button_lit(const Picture& picture) { return hover_frame_in_row(picture, 262, 282, 300); }
bool menu_button_lit(const Picture& picture) { return hover_frame_in_row(picture, 652, 672, 30); }

// Mean of the brightest channel over the 7 x 7 pixels around (x, y).
double mean_brightness(const Picture& picture, int x, int y) {
  double sum = 0;
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx) sum += picture.brightness(x + dx, y + dy);
  return sum / 49;
}

bool stone_coloured(const Picture::Colour& c) {
  const int high = std::max({c.red, c.green, c.blue}), low = std::min({c.red, c.green, c.blue});
  return high > 120 && high - low > 60;
}

bool same_colour(const Picture::Colour& a, const Picture::Colour& b) {
  return std::abs(a.red - b.red) < 70 && std::abs(a.green - b.green) < 70 && std::abs(a.blue - b.blue) < 70;
}

// How far around (x, y) the picture keeps the one colour of a stone, in pixels (0: not inside a
// stone's colour). Where settled stones meet, colours mix; a stone's symbol breaks its colour.
int colour_depth(const Picture& picture, int x, int y) {
  const Picture::Colour centre = picture.colour(x, y);
  if (!stone_coloured(centre)) return 0;
  int depth = 0;
  for (int reach = 2; reach <= 6; reach += 2) {
    for (int dy = -reach; dy <= reach; dy += 2)
      for (int dx = -reach; dx <= reach; dx += 2) {
        const Picture::Colour around = picture.colour(x + dx, y + dy);
        if (!stone_coloured(around) || !same_colour(around, centre)) return depth;
      }
    depth = reach;
  }
  return depth;
}

// Points of the lower field far from (away_x, away_y) and from each other that lie inside a
// stone, those deepest inside one stone's colour first. How a pile settles differs from machine
// to machine (bursts are timed by the clock), so the deepest the pile offers is taken.
std::vector<std::pair<int, int>> far_stones(const Picture& picture, int away_x, int away_y, size_t most) {
  std::vector<std::pair<int, int>> found;
  for (int depth = 6; depth >= 2 && found.size() < most; depth -= 2)
    for (int y = 570; y >= 360 && found.size() < most; y -= 2)
      for (int x = 160; x <= 640 && found.size() < most; x += 2) {
        if (std::hypot(x - away_x, y - away_y) < 80) continue;
        if (std::any_of(found.begin(), found.end(),
                        [&](const std::pair<int, int>& p) { return std::hypot(x - p.first, y - p.second) < 40; }))
          continue;
        if (colour_depth(picture, x, y) >= depth) found.emplace_back(x, y);
      }
  return found;
}

class RoundTrips : public ::testing::TestWithParam<std::string> {
protected:
  void SetUp() override {
    REQUIRE_X_SERVER();
    prepare_game_folder(folder, GetParam());
    // No refill: once the first stones have fallen and their groups have gone, the pile stays.
    std::string scene = folder.read("res/game/game.scn");
    scene.replace(scene.find("time 5"), 6, "time 100000");
    // No hint either: its blinking would change the brightness the clicks are judged by.
    scene.replace(scene.find("hintSeconds 10"), 14, "hintSeconds 0");
    folder.write("res/game/game.scn", scene);
    ASSERT_TRUE(game.start({test_support::built_program("tarnvale")}, folder.path(),
                           {GAME_ENV[0], "TARNVALE_SEED=12"}));
    window = find_window(60);
    ASSERT_FALSE(window.empty()) << game.err();
  }

  // Polls the window's picture until the condition holds; false after the deadline.
  bool wait_for_picture(const std::function<bool(const Picture&)>& condition, double seconds = 60) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
      Picture picture(WIDTH, HEIGHT);
      if (picture.taken() && condition(picture)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  // The first stones have landed and no group has burst for three seconds.
  void wait_for_calm_field() {
    ASSERT_TRUE(wait_for_output(game, "Stone53 position:", 60)) << game.err();
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int removals = -1;
    while (std::chrono::steady_clock::now() < end) {
      const int now = count_of(game.err(), "removing object:");
      Picture picture(WIDTH, HEIGHT);
      if (now == removals && picture.taken() && mean_brightness(picture, TIP_X, TIP_Y) > 100) return;
      removals = now;
      std::this_thread::sleep_for(std::chrono::seconds(3));
    }
    FAIL() << "the field did not come to rest";
  }

  // Selects the stone at the tip (it turns darker), then clicks a stone far from it: exactly one
  // judgement, the distance line, follows.
  void select_and_judge(int round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int judgements = count_of(game.out(), "Dist>maxSize"), apart = count_of(game.out(), "=1\n");
    Picture before(WIDTH, HEIGHT);
    ASSERT_TRUE(before.taken());
    const double tip = mean_brightness(before, TIP_X, TIP_Y);
    ASSERT_GT(tip, 100) << "no stone at the tip";

    click(window, scene_x(TIP_X), scene_y(TIP_Y));
    EXPECT_TRUE(wait_for_picture([&](const Picture& p) { return mean_brightness(p, TIP_X, TIP_Y) < tip * 0.7; }, 20))
        << "the stone did not turn darker";
    EXPECT_EQ(count_of(game.out(), "Dist>maxSize"), judgements);

    // A point the pixels put inside a stone may still fall just outside its body, where two meet:
    // such a click judges nothing and leaves the selection, so the next point is tried.
    const Picture selected(WIDTH, HEIGHT);
    ASSERT_TRUE(selected.taken());
    const auto targets = far_stones(selected, TIP_X, TIP_Y, 6);
    ASSERT_FALSE(targets.empty()) << "no stone far from the tip";
    std::string tried;
    bool judged = false;
    for (size_t i = 0; i < targets.size() && !judged; ++i) {
      click(window, scene_x(targets[i].first), scene_y(targets[i].second));
      tried += " (" + std::to_string(targets[i].first) + ", " + std::to_string(targets[i].second) + ")";
      judged = wait_for_output(game, "Dist>maxSize", i + 1 == targets.size() ? 20 : 4, judgements + 1);
    }
    ASSERT_TRUE(judged) << "clicked at" << tried << "\n" << game.out();
    // Anything else the click set off would have printed by now.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_EQ(count_of(game.out(), "Dist>maxSize"), judgements + 1);
    EXPECT_EQ(count_of(game.out(), "=1\n"), apart + 1) << "the stones were not far apart";
    EXPECT_TRUE(wait_for_picture([&](const Picture& p) { return mean_brightness(p, TIP_X, TIP_Y) > tip * 0.8; }, 20))
        << "the first stone stayed dark";
  }

  test_support::ScratchDir folder;
  test_support::ChildProcess game;
  std::string window;
};

TEST_P(RoundTrips, EachClickIsJudgedOnceByTheStoneUnderThePointer) {
  if (GetParam() == "start_screen") {
    ASSERT_TRUE(wait_for_picture(start_screen_shown)) << game.err();
    click(window, 0.0f, 0.0f);  // New game
  }
  ASSERT_TRUE(wait_for_picture(field_shown)) << game.err();
  wait_for_calm_field();
  select_and_judge(0);
  // A round that failed leaves a stone selected: the next rounds would only repeat its failure.
  if (HasFatalFailure()) return;

  for (int round = 1; round <= 3; ++round) {
    click(window, 0.8f, 0.9f);  // Menu
    ASSERT_TRUE(wait_for_picture(start_screen_shown)) << "round " << round;
    // New game was lit when it was clicked; the pointer is elsewhere now.
    EXPECT_FALSE(play_button_lit(Picture(WIDTH, HEIGHT))) << "round " << round;
    click(window, 0.0f, 0.18f);  // Continue: the same field
    ASSERT_TRUE(wait_for_picture(field_shown)) << "round " << round;
    EXPECT_FALSE(menu_button_lit(Picture(WIDTH, HEIGHT))) << "round " << round;
    select_and_judge(round);
    if (HasFatalFailure()) return;
  }

  EXPECT_EQ(count_of(game.err(), "same_type:"), 0);
  request_close(window);
  ASSERT_TRUE(game.wait(30));
  EXPECT_EQ(game.exit_code(), 0);
}

INSTANTIATE_TEST_SUITE_P(FromEitherStartScene, RoundTrips, ::testing::Values("start_screen", "game"));

}  // namespace
