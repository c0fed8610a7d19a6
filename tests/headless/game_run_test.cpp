// The whole game on the windowless driver: a replayed input file selects and swaps two stones,
// the trace shows it, and the same input on the same seed gives the same trace.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "game_process.h"
#include "trace_reader.h"

using namespace headless_test;
using ::testing::HasSubstr;

namespace {

const int FRAMES = 300;
// The pile has come to rest well before this frame.
const int CLICK_FRAME = 230;
// A standing swap's stones travel for 0.15 s before their group goes.
const int TRAVEL_FRAMES = 10;
// Centres of two stones that share a face lie this far apart on each axis (scene units).
const double FACE_OFFSET = 0.0565685;

bool share_a_face(const TracedSprite& a, const TracedSprite& b) {
  return std::fabs(std::fabs(a.x - b.x) - FACE_OFFSET) < 0.012 &&
         std::fabs(std::fabs(a.y - b.y) - FACE_OFFSET) < 0.012;
}

bool near(const TracedSprite& s, double x, double y) {
  return std::fabs(s.x - x) < 0.01 && std::fabs(s.y - y) < 0.01;
}

// The stones of a frame; a stone's kind is its picture's checksum.
std::vector<TracedSprite> stones_of(const TracedFrame& frame) {
  std::vector<TracedSprite> stones;
  for (const TracedSprite& s : frame.sprites)
    if (s.name.rfind("Stone", 0) == 0) stones.push_back(s);
  // In the order the stones were made, not the order they are drawn in (by picture).
  std::sort(stones.begin(), stones.end(), [](const TracedSprite& a, const TracedSprite& b) {
    return std::stoi(a.name.substr(5)) < std::stoi(b.name.substr(5));
  });
  return stones;
}

// The stones of one kind joined face to face with stones[start], start included.
std::set<size_t> group_at(const std::vector<TracedSprite>& stones, size_t start) {
  std::set<size_t> group{start};
  std::vector<size_t> pending{start};
  while (!pending.empty()) {
    const size_t at = pending.back();
    pending.pop_back();
    for (size_t i = 0; i < stones.size(); ++i)
      if (!group.count(i) && stones[i].checksum == stones[start].checksum &&
          share_a_face(stones[at], stones[i])) {
        group.insert(i);
        pending.push_back(i);
      }
  }
  return group;
}

struct Swap {
  TracedSprite first, second;  // clicked in this order
  std::set<std::string> group;  // the stones that burst; the first is one of them
};

// Two touching stones whose exchange makes a group of three at the second's place only: the
// first stone bursts there with its new neighbours, the second lands where the first stood.
bool find_swap(const TracedFrame& frame, Swap* swap) {
  const std::vector<TracedSprite> stones = stones_of(frame);
  for (size_t a = 0; a < stones.size(); ++a)
    for (size_t b = 0; b < stones.size(); ++b) {
      if (a == b || stones[a].checksum == stones[b].checksum || !share_a_face(stones[a], stones[b]))
        continue;
      std::vector<TracedSprite> swapped = stones;
      std::swap(swapped[a].checksum, swapped[b].checksum);
      const std::set<size_t> at_second = group_at(swapped, b), at_first = group_at(swapped, a);
      if (at_second.size() < 3 || at_first.size() >= 3) continue;
      swap->first = stones[a];
      swap->second = stones[b];
      for (size_t i : at_second) swap->group.insert(i == b ? stones[a].name : stones[i].name);
      return true;
    }
  return false;
}

std::string click(int frame, const TracedSprite& at) {
  const std::string place = std::to_string(at.x) + " " + std::to_string(at.y);
  return std::to_string(frame) + " mouse_press " + place + " 1\n" + std::to_string(frame + 1) +
         " mouse_release " + place + " 1\n";
}

class HeadlessGame : public ::testing::Test {
protected:
  void SetUp() override {
    game_test::prepare_game_folder(folder);
    ASSERT_TRUE(game_test::use_headless_driver(folder, FRAMES));
  }

  // Runs the whole game with the input and returns its trace.
  std::string play(const std::string& input, unsigned seed) {
    folder.write("input.txt", "# frame event x y button\n" + input);
    std::vector<std::string> env = game_test::GAME_ENV;
    env.push_back("TARNVALE_SEED=" + std::to_string(seed));
    last = test_support::run_process({test_support::built_program("tarnvale")}, folder.path(), 300, env);
    EXPECT_EQ(last.exit_code, 0) << last.err.substr(0, 2000);
    return folder.read("trace.txt");
  }

  test_support::ScratchDir folder;
  test_support::ProcessResult last;
};

TEST_F(HeadlessGame, ReplayedClicksSelectAndSwapTwoStonesTheSameWayEveryTime) {
  // A seed whose resting pile offers a swap to make.
  unsigned seed = 11;
  std::string untouched;
  Swap swap;
  for (; seed < 16; ++seed) {
    untouched = play("", seed);
    const auto frames = read_trace(untouched);
    ASSERT_EQ(frames.size(), static_cast<size_t>(FRAMES)) << "the run ends after its frames";
    if (find_swap(frames.at(CLICK_FRAME), &swap)) break;
  }
  ASSERT_LT(seed, 16u) << "no resting pile offered a swap";

  const std::string input = click(CLICK_FRAME, swap.first) + click(CLICK_FRAME + 3, swap.second);
  const std::string trace = play(input, seed);
  EXPECT_THAT(last.out, HasSubstr("INFO:Dist>maxSize"));
  EXPECT_EQ(play(input, seed), trace) << "same input, same seed, same trace";
  // Up to the first click the run is the one without input.
  const std::string first_click = "frame " + std::to_string(CLICK_FRAME + 1) + "\n";
  EXPECT_EQ(trace.substr(0, trace.find(first_click)), untouched.substr(0, untouched.find(first_click)));

  const auto frames = read_trace(trace);
  ASSERT_EQ(frames.size(), static_cast<size_t>(FRAMES));
  // The first click darkens the first stone until the second click.
  EXPECT_FALSE(frames.at(CLICK_FRAME + 1).sprite(swap.first.name)->tinted);
  EXPECT_TRUE(frames.at(CLICK_FRAME + 2).sprite(swap.first.name)->tinted);
  EXPECT_TRUE(frames.at(CLICK_FRAME + 4).sprite(swap.first.name)->tinted);

  // The second click exchanges them: the two travel to each other's places (0.15 s in the
  // shipped game), then the first bursts with its new group, the second stands where the first
  // stood, and the group's particles fly.
  const TracedSprite* halfway = frames.at(CLICK_FRAME + 8).sprite(swap.second.name);
  ASSERT_NE(halfway, nullptr);
  EXPECT_FALSE(near(*halfway, swap.first.x, swap.first.y) || near(*halfway, swap.second.x, swap.second.y))
      << "on its way: " << halfway->x << ", " << halfway->y;
  for (const std::string& name : swap.group) EXPECT_NE(frames.at(CLICK_FRAME + 8).sprite(name), nullptr) << name;
  const TracedFrame& after = frames.at(CLICK_FRAME + 5 + TRAVEL_FRAMES);
  for (const std::string& name : swap.group) EXPECT_EQ(after.sprite(name), nullptr) << name;
  const TracedSprite* moved = after.sprite(swap.second.name);
  ASSERT_NE(moved, nullptr);
  EXPECT_TRUE(near(*moved, swap.first.x, swap.first.y))
      << swap.second.name << " at " << moved->x << ", " << moved->y << " instead of "
      << swap.first.x << ", " << swap.first.y;
  EXPECT_FALSE(moved->tinted);
  const std::vector<std::string> sets = frames.at(CLICK_FRAME + 6 + TRAVEL_FRAMES).particle_sets;
  EXPECT_EQ(sets.size(), swap.group.size());
  for (const std::string& name : swap.group)
    EXPECT_EQ(std::count(sets.begin(), sets.end(), name + "particlesparticles"), 1) << name;
}

// A machine that draws six times slower than the field steps simulates the same game in six times
// as many seconds: the refill timer counts the simulated time, so it drops as many rows, and a slow
// machine's player is not buried by rows the physics has not yet let fall.
TEST_F(HeadlessGame, TheRefillFollowsTheSimulationOnASlowMachine) {
  std::string scene = folder.read("res/game/game.scn");
  scene.replace(scene.find("time 5"), 6, "time 1");
  folder.write("res/game/game.scn", scene);
  const auto stones_emitted = [&](int frames_per_second) {
    std::string video = folder.read("cfg/Video.cfg");
    const size_t at = video.find("LimitFPS ");
    video.replace(at, video.find('\n', at) - at, "LimitFPS " + std::to_string(frames_per_second));
    folder.write("cfg/Video.cfg", video);
    play("", 3);
    EXPECT_EQ(test_support::count_of(last.out, "INFO:Game over"), 0) << frames_per_second;
    return test_support::count_of(last.out, "INFO:Emitting object ");
  };
  const int at_full_speed = stones_emitted(60);
  EXPECT_GT(at_full_speed, 54) << "the timer refilled the field";
  EXPECT_EQ(stones_emitted(10), at_full_speed);
}

}  // namespace
