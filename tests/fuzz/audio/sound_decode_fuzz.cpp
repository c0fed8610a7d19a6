// Feeds arbitrary bytes to one sound decoder the way the game does: open, then decode every
// piece to the end, rewind and decode the first piece again. A stream must end or fail within
// the bytes it was given.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "chime/sound.h"

Sound_Stream* FUZZED_OPEN(std::shared_ptr<const std::string> bytes, std::string* error);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string error;
  std::unique_ptr<Sound_Stream> stream(
      FUZZED_OPEN(std::make_shared<const std::string>(reinterpret_cast<const char*>(data), size), &error));
  if (!stream) {
    if (error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
  }
  const int channels = stream->_get_channels();
  if (channels < 1 || channels > 2 || stream->_get_rate() < SOUND_MIN_RATE ||
      stream->_get_rate() > SOUND_MAX_RATE)
    __builtin_trap();
  std::vector<int16_t> piece(1024 * static_cast<std::size_t>(channels));
  // A Vorbis packet of a byte or two gives at most 4096 frames: more means a loop.
  std::size_t frames = 0;
  for (long got; (got = stream->_read(piece.data(), 1024)) > 0;) {
    frames += static_cast<std::size_t>(got);
    if (frames > 4096 * (size + 1024)) __builtin_trap();
  }
  if (stream->_rewind()) stream->_read(piece.data(), 1024);
  return 0;
}
