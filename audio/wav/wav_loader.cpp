// The plug-in's one export: the loader of WAV files.
#include "wav_stream.h"

namespace {
class Wav_Loader : public Sound_Loader {
public:
  Sound_Stream* _open(std::shared_ptr<const std::string> bytes, std::string* error) override {
    return open_wav(std::move(bytes), error);
  }
  std::string get_module_name() override { return "libchime_wav"; }
};
}  // namespace

extern "C" Sound_Loader* _get_soundloader() { return new Wav_Loader(); }
