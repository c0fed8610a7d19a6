// The plug-in's one export: the loader of Ogg Vorbis files.
#include "ogg_stream.h"

namespace {
class Ogg_Loader : public Sound_Loader {
public:
  Sound_Stream* _open(std::shared_ptr<const std::string> bytes, std::string* error) override {
    return open_ogg(std::move(bytes), error);
  }
  std::string get_module_name() override { return "libchime_ogg"; }
};
}  // namespace

extern "C" Sound_Loader* _get_soundloader() { return new Ogg_Loader(); }
