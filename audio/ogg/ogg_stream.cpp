#include "ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>

namespace {

// libvorbisfile reads through these from the bytes in memory.
struct Memory {
  std::shared_ptr<const std::string> bytes;
  std::size_t at = 0;
};

size_t read_memory(void* out, size_t size, size_t count, void* source) {
  auto* memory = static_cast<Memory*>(source);
  if (size == 0) return 0;
  const std::size_t left = memory->bytes->size() - memory->at;
  const std::size_t items = std::min(count, left / size);
  std::memcpy(out, memory->bytes->data() + memory->at, items * size);
  memory->at += items * size;
  return items;
}

int seek_memory(void* source, ogg_int64_t offset, int whence) {
  auto* memory = static_cast<Memory*>(source);
  const auto size = static_cast<ogg_int64_t>(memory->bytes->size());
  ogg_int64_t target = offset;
  if (whence == SEEK_CUR) target += static_cast<ogg_int64_t>(memory->at);
  if (whence == SEEK_END) target += size;
  if (target < 0 || target > size) return -1;
  memory->at = static_cast<std::size_t>(target);
  return 0;
}

long tell_memory(void* source) { return static_cast<long>(static_cast<Memory*>(source)->at); }

std::string vorbis_reason(int code) {
  switch (code) {
    case OV_ENOTVORBIS: return "not an Ogg Vorbis file";
    case OV_EBADHEADER: return "the Vorbis header is broken";
    case OV_EVERSION: return "an unknown Vorbis version";
    case OV_EREAD: return "the data cannot be read";
    case OV_EFAULT: return "the decoder failed";
    case OV_HOLE: return "the data has a gap";
    case OV_EBADLINK: return "a link of the stream is broken";
    default: return "the Vorbis data is broken (" + std::to_string(code) + ")";
  }
}

class Ogg_Stream : public Sound_Stream {
public:
  explicit Ogg_Stream(std::shared_ptr<const std::string> bytes) { memory_.bytes = std::move(bytes); }
  ~Ogg_Stream() override {
    if (opened_) ov_clear(&file_);
  }
  // Opens the file in place (libvorbisfile's state points into itself and cannot be moved).
  bool open(std::string* error) {
    const ov_callbacks callbacks = {read_memory, seek_memory, nullptr, tell_memory};
    const int result = ov_open_callbacks(&memory_, &file_, nullptr, 0, callbacks);
    if (result != 0) {
      *error = vorbis_reason(result);
      return false;
    }
    opened_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (info == nullptr) *error = "no Vorbis stream information";
    else if (info->channels != 1 && info->channels != 2)
      *error = std::to_string(info->channels) + " channels (only 1 or 2 are played)";
    else if (info->rate < SOUND_MIN_RATE || info->rate > SOUND_MAX_RATE)
      *error = "sample rate " + std::to_string(info->rate) + " is out of range " +
               std::to_string(SOUND_MIN_RATE) + " to " + std::to_string(SOUND_MAX_RATE);
    else {
      rate_ = static_cast<int>(info->rate);
      channels_ = info->channels;
      return true;
    }
    return false;
  }

  int _get_rate() override { return rate_; }
  int _get_channels() override { return channels_; }
  long _read(int16_t* out, long frames) override {
    long done = 0;
    // A later link with another layout ends the stream rather than garbling it.
    while (done < frames) {
      int link = 0;
      const long bytes = ov_read(&file_, reinterpret_cast<char*>(out + done * channels_),
                                 static_cast<int>((frames - done) * channels_ * 2), 0, 2, 1, &link);
      if (bytes == 0) break;
      if (bytes < 0) {
        if (bytes == OV_HOLE) continue;  // a gap is skipped, as players do
        error_ = vorbis_reason(static_cast<int>(bytes));
        return -1;
      }
      const vorbis_info* info = ov_info(&file_, link);
      if (!info || info->channels != channels_ || info->rate != rate_) break;
      done += bytes / (2 * channels_);
    }
    return done;
  }
  bool _rewind() override { return ov_raw_seek(&file_, 0) == 0; }
  std::string _get_error() override { return error_; }

private:
  Memory memory_;
  OggVorbis_File file_{};
  bool opened_ = false;
  int rate_ = 0, channels_ = 0;
  std::string error_;
};

}  // namespace

Sound_Stream* open_ogg(std::shared_ptr<const std::string> bytes, std::string* error) {
  auto stream = std::make_unique<Ogg_Stream>(std::move(bytes));
  return stream->open(error) ? stream.release() : nullptr;
}
