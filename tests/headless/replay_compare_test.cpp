// The shipped game, replayed from its start screen on a fixed seed with a recorded input of
// swaps, bursts, a cascade and a game over, says and draws exactly what it did when the record
// was made: a change to the code that is not meant to change the game shows up here.
// TARNVALE_RECORD_REPLAY=1 writes the fresh run over the record (for a change that is meant to).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "game_process.h"

namespace {

const char* const RECORD = TARNVALE_TEST_DATA "/replay/";
const int FRAMES = 3600;
const unsigned SEED = 2;

// One line per frame: its number and a 64-bit FNV-1a digest of its lines. The full trace of a
// run this long is tens of megabytes; a digest per frame still tells which frame differs.
std::string frame_digests(const std::string& trace) {
  std::ostringstream digests;
  std::istringstream lines(trace);
  std::string line, frame;
  uint64_t digest = 0;
  auto flush = [&] {
    if (!frame.empty()) digests << frame << ' ' << std::hex << digest << std::dec << '\n';
  };
  while (std::getline(lines, line)) {
    if (line.rfind("frame ", 0) == 0) {
      flush();
      frame = line;
      digest = 14695981039346656037ull;
    }
    for (char c : line + '\n') digest = (digest ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  flush();
  return digests.str();
}

// The first line where the two texts part, for the failure message.
std::string first_difference(const std::string& expected, const std::string& actual) {
  std::istringstream a(expected), b(actual);
  std::string left, right;
  for (int number = 1;; ++number) {
    const bool more_left = static_cast<bool>(std::getline(a, left));
    const bool more_right = static_cast<bool>(std::getline(b, right));
    if (!more_left && !more_right) return "no difference";
    if (!more_left || !more_right || left != right)
      return "line " + std::to_string(number) + ": expected \"" + (more_left ? left : "<end>") + "\", got \"" +
             (more_right ? right : "<end>") + "\"";
  }
}

std::string frame_text(const std::string& trace, const std::string& difference) {
  const size_t at = difference.find("got \"frame ");
  if (at == std::string::npos) return "";
  const std::string frame = difference.substr(at + 5, difference.find(' ', at + 11) - at - 5);
  const size_t start = trace.find(frame + "\n");
  return start == std::string::npos ? "" : trace.substr(start, trace.find("\nframe ", start) - start);
}

TEST(ReplayedGame, SaysAndDrawsWhatTheRecordHolds) {
  test_support::ScratchDir folder;
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  ASSERT_TRUE(game_test::use_headless_driver(folder, FRAMES));
  // A lower line: the pile reaches it within the minute the record lasts.
  std::string scene = folder.read("res/game/game.scn");
  ASSERT_NE(scene.find("gameOverLine 0.55"), std::string::npos);
  scene.replace(scene.find("gameOverLine 0.55"), 17, "gameOverLine -0.1");
  folder.write("res/game/game.scn", scene);
  folder.write("input.txt", test_support::read_file(std::string(RECORD) + "input.txt"));

  std::vector<std::string> env = game_test::GAME_ENV;
  env.push_back("TARNVALE_SEED=" + std::to_string(SEED));
  env.push_back("XDG_DATA_HOME=" + folder.file("data"));
  const auto run = test_support::run_process({test_support::built_program("tarnvale")}, folder.path(), 600, env);
  ASSERT_EQ(run.exit_code, 0) << run.err.substr(0, 2000);
  const std::string trace = folder.read("trace.txt");
  const std::string digests = frame_digests(trace);

  if (std::getenv("TARNVALE_RECORD_REPLAY")) {
    folder.write("record/stdout.txt", run.out);
    folder.write("record/frames.txt", digests);
    ASSERT_EQ(std::system(("cp " + folder.file("record") + "/* " + RECORD).c_str()), 0);
    GTEST_SKIP() << "recorded in " << RECORD;
  }
  // What the record must show, or it proves little.
  for (const char* line : {"INFO:Dist>maxSize", "INFO:Launching particles", "(x2)", "INFO:Game over, score "})
    ASSERT_NE(run.out.find(line), std::string::npos) << line;

  const std::string expected_out = test_support::read_file(std::string(RECORD) + "stdout.txt");
  EXPECT_TRUE(run.out == expected_out) << first_difference(expected_out, run.out);
  const std::string expected_frames = test_support::read_file(std::string(RECORD) + "frames.txt");
  const std::string difference = first_difference(expected_frames, digests);
  EXPECT_TRUE(digests == expected_frames) << difference << "\n" << frame_text(trace, difference);
}

}  // namespace
