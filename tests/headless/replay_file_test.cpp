// Replay files: what the recorder writes reads back the same, and bad files end in one message
// naming the file and line.

#include <gtest/gtest.h>

#include <sstream>

#include "replay_file.h"

namespace {

TEST(ReplayFile, WhatIsWrittenReadsBackExactly) {
  ReplayHeader header{"0123abcd", "89abcdef", 4294967295UL, "start_screen"};
  Event move;
  move.type = MOUSE_MOVE;
  move.x = 0.1f / 3;  // no short decimal
  move.y = -0.7f;
  move.dx = 1e-7f;
  move.buttons = 1;
  Event key;
  key.type = KEYBOARD_RELEASE;
  key.key = 257;
  std::ostringstream text;
  write_replay_header(text, header);
  write_replay_event(text, 0, move);
  write_replay_frame(text, 1, 16667);
  write_replay_frame(text, 2, 0);
  write_replay_event(text, 2, key);

  Replay replay;
  std::string error;
  ASSERT_TRUE(parse_replay(text.str(), "r", &replay, &error)) << error << "\n" << text.str();
  EXPECT_EQ(replay.header.seed, header.seed);
  EXPECT_EQ(replay.header.data, header.data);
  EXPECT_EQ(replay.header.scene, "start_screen");
  EXPECT_EQ(replay.frame_micros, (std::vector<long>{16667, 0}));
  ASSERT_EQ(replay.events.size(), 2u);
  const Event& read = replay.events[0].event;
  EXPECT_EQ(replay.events[0].frame, 0);
  EXPECT_EQ(read.type, MOUSE_MOVE);
  EXPECT_EQ(read.x, move.x);
  EXPECT_EQ(read.y, move.y);
  EXPECT_EQ(read.dx, move.dx);
  EXPECT_EQ(read.buttons, 1);
  EXPECT_EQ(replay.events[1].frame, 2);
  EXPECT_EQ(replay.events[1].event.key, 257);
  // Times move the clock in steps a double sums exactly.
  EXPECT_EQ(replay_seconds(16667) * 1048576, 17477);
}

TEST(ReplayFile, BadFilesNameTheLineAtFault) {
  const std::string head = "tarnvale replay 1\nbuild ab\ndata cd\nseed 1\nscene game\n";
  const struct {
    std::string text, message;
  } cases[] = {
      {"", "r:1: the header ends early"},
      {"PK\x03\x04garbage", "r:1: not a replay file (it starts with \"PK\\x03\\x04garbage\")"},
      {"tarnvale replay 1\nbuild ab\n", "r:3: the header ends early"},
      {"tarnvale replay 1\nbuild xyz\ndata cd\nseed 1\nscene a\n", "r:2: the build is not a hexadecimal"},
      {head + "1 time 10\n3 time 10\n", "r:7: the frame \"3\" is not 1 or 2"},
      {head + "99999999999999999999 time 1\n", "r:6: the frame"},
      {head + "1 time 10\n1 time 10\n", "r:7: frame 1 has a time already"},
      {head + "1 mouse_press 0 0 0 0 1\n", "r:6: an event of frame 1 before its time"},
      {head + "0 mouse_press 0 nan 0 0 1\n", "r:6: bad numbers"},
      {head + "0 mouse_press 0 0 0 0\n", "r:6: bad numbers"},
      {head + "0 jump\n", "r:6: unknown event \"jump\""},
      {head + "1 time -5\n", "r:6: the time is not"},
      {head + std::string(300, '1') + "\n", "r:6: a line longer than 255 bytes"},
  };
  for (const auto& c : cases) {
    Replay replay;
    std::string error;
    EXPECT_FALSE(parse_replay(c.text, "r", &replay, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.message, 0), 0u) << error;
  }
  // A recording cut anywhere reads as the frames before the cut or fails: never more.
  const std::string whole = head + "0 quit\n1 time 16000\n1 character 97\n2 time 15000\n";
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    Replay replay;
    std::string error;
    if (parse_replay(whole.substr(0, cut), "r", &replay, &error)) {
      EXPECT_LE(replay.frame_micros.size(), 2u);
    }
  }
}

}  // namespace
