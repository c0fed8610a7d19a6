#pragma once
// A recorded game: what the program needs to play it again frame for frame on the windowless
// driver. A text file of lines, written by the program's recorder and read by the driver and the
// program (which checks the header first).
//   tarnvale replay 1
//   build HEX
//   data HEX
//   seed N
//   scene NAME                   (the start scene)
//   FRAME time MICROSECONDS      (frames 1, 2, 3, ... each once, in order)
//   FRAME EVENT ...              (the events the frame ended with; frame 0: before the first)

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "olvane/video.h"

struct ReplayHeader {
  std::string build, data;  // hexadecimal identities of the program's build and the game's data
  unsigned long seed = 0;
  std::string scene;  // the start scene, one word
};

struct ReplayEvent {
  long frame = 0;
  Event event;
};

struct Replay {
  ReplayHeader header;
  std::vector<long> frame_micros;  // [k - 1]: how long frame k took
  std::vector<ReplayEvent> events;
};

// Bounds that keep a bad file from costing more than a long game's replay would.
const size_t REPLAY_MAX_BYTES = 64u << 20;
const size_t REPLAY_MAX_LINE = 255;

// Reads the whole file; false with "FILE:LINE: problem" (or "FILE: problem") in *error.
bool read_replay(const std::string& path, Replay* replay, std::string* error);
// The same from text in memory, `path` only naming it in messages.
bool parse_replay(const std::string& text, const std::string& path, Replay* replay,
                  std::string* error);

void write_replay_header(std::ostream& out, const ReplayHeader& header);
void write_replay_frame(std::ostream& out, long frame, long micros);
void write_replay_event(std::ostream& out, long frame, const Event& event);

// The names input files and replays give the event types: "mouse_press", ... "quit".
bool event_type_named(const std::string& name, EVENT_TYPE* type);

// How far a frame of that many microseconds moves the game clock: to the nearest 2^-20 s, which
// sums exactly in a double, so the recording and the replay read the same times.
double replay_seconds(long micros);
