// Any bytes read as a replay either give a message naming the file or a replay whose frames are
// counted in order and written back as the same text.
#include <cstdint>
#include <sstream>
#include <string>

#include "replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > REPLAY_MAX_BYTES) return 0;
  Replay replay;
  std::string error;
  if (!parse_replay(std::string(reinterpret_cast<const char*>(data), size), "input", &replay, &error)) {
    if (error.rfind("input:", 0) != 0) __builtin_trap();
    return 0;
  }
  std::ostringstream text;
  write_replay_header(text, replay.header);
  size_t next_event = 0;
  for (long frame = 0; frame <= static_cast<long>(replay.frame_micros.size()); ++frame) {
    if (frame > 0) write_replay_frame(text, frame, replay.frame_micros[frame - 1]);
    for (; next_event < replay.events.size() && replay.events[next_event].frame == frame; ++next_event)
      write_replay_event(text, frame, replay.events[next_event].event);
  }
  if (next_event != replay.events.size()) __builtin_trap();
  Replay again;
  if (!parse_replay(text.str(), "again", &again, &error) || again.events.size() != replay.events.size() ||
      again.frame_micros != replay.frame_micros)
    __builtin_trap();
  return 0;
}
