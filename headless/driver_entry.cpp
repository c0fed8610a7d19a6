// The plug-in's one export: a windowless driver reading its settings from the named
// configuration under the given prefix (params[2] and later are ignored).
#include "carrow/config.h"
#include "headless_video.h"

extern "C" Video_Interface* _get_video_driver(const std::string* params, int count) {
  if (count < 2 || params == nullptr) return nullptr;
  if (config_get_interface(params[0]) == nullptr) return nullptr;
  return new Headless_Video(params[0], params[1]);
}
