#include "wav_stream.h"

#include <algorithm>
#include <cstring>

namespace {

const uint16_t FORMAT_PCM = 1;
const uint16_t FORMAT_EXTENSIBLE = 0xfffe;

uint32_t read32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

class Wav_Stream : public Sound_Stream {
public:
  Wav_Stream(std::shared_ptr<const std::string> bytes, std::size_t start, std::size_t frames,
             int rate, int channels, int bytes_per_sample)
      : bytes_(std::move(bytes)), start_(start), frames_(frames), rate_(rate),
        channels_(channels), bytes_per_sample_(bytes_per_sample) {}

  int _get_rate() override { return rate_; }
  int _get_channels() override { return channels_; }
  long _read(int16_t* out, long frames) override {
    if (frames <= 0) return 0;
    const std::size_t count = std::min(frames_ - next_, static_cast<std::size_t>(frames));
    const auto* data = reinterpret_cast<const unsigned char*>(bytes_->data()) + start_ +
                       next_ * channels_ * bytes_per_sample_;
    const std::size_t samples = count * channels_;
    for (std::size_t i = 0; i < samples; ++i)
      out[i] = bytes_per_sample_ == 1 ? static_cast<int16_t>((data[i] - 128) * 256)
                                      : static_cast<int16_t>(read16(data + 2 * i));
    next_ += count;
    return static_cast<long>(count);
  }
  bool _rewind() override {
    next_ = 0;
    return true;
  }
  std::string _get_error() override { return ""; }

private:
  std::shared_ptr<const std::string> bytes_;
  std::size_t start_, frames_, next_ = 0;
  int rate_, channels_, bytes_per_sample_;
};

}  // namespace

Sound_Stream* open_wav(std::shared_ptr<const std::string> bytes, std::string* error) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes->data());
  const std::size_t size = bytes->size();
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    *error = "not a WAV file (no RIFF WAVE header)";
    return nullptr;
  }
  bool have_format = false;
  int channels = 0, rate = 0, bits = 0;
  // Every chunk moves on by at least its 8-byte header, so the walk ends.
  for (std::size_t at = 12; at + 8 <= size;) {
    const unsigned char* chunk = data + at;
    const std::size_t length = read32(chunk + 4);
    const std::size_t body = at + 8;
    const std::size_t available = size - body;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < 16 || available < 16) {
        *error = "the format chunk is too short";
        return nullptr;
      }
      uint16_t format = read16(data + body);
      channels = read16(data + body + 2);
      const uint32_t claimed_rate = read32(data + body + 4);
      bits = read16(data + body + 14);
      if (format == FORMAT_EXTENSIBLE && length >= 40 && available >= 40)
        format = read16(data + body + 24);  // the sub-format's first two bytes
      if (format != FORMAT_PCM) {
        *error = "format " + std::to_string(format) + " is not PCM";
        return nullptr;
      }
      if (channels != 1 && channels != 2) {
        *error = std::to_string(channels) + " channels (only 1 or 2 are played)";
        return nullptr;
      }
      if (bits != 8 && bits != 16) {
        *error = std::to_string(bits) + "-bit samples (only 8 or 16 are played)";
        return nullptr;
      }
      if (claimed_rate < static_cast<uint32_t>(SOUND_MIN_RATE) ||
          claimed_rate > static_cast<uint32_t>(SOUND_MAX_RATE)) {
        *error = "sample rate " + std::to_string(claimed_rate) + " is out of range " +
                 std::to_string(SOUND_MIN_RATE) + " to " + std::to_string(SOUND_MAX_RATE);
        return nullptr;
      }
      rate = static_cast<int>(claimed_rate);
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) {
        *error = "the data chunk comes before the format chunk";
        return nullptr;
      }
      const int bytes_per_sample = bits / 8;
      const std::size_t frames = std::min(length, available) / (bytes_per_sample * channels);
      if (frames == 0) {
        *error = "the data chunk holds no samples";
        return nullptr;
      }
      return new Wav_Stream(std::move(bytes), body, frames, rate, channels, bytes_per_sample);
    }
    if (length > available) break;
    at = body + length + (length & 1);  // chunks are padded to even sizes
  }
  *error = have_format ? "no data chunk" : "no format chunk";
  return nullptr;
}
