// The plug-in's one export: the OpenAL driver reading its settings from the named configuration
// under the given prefix.
#include "carrow/config.h"
#include "openal_sound.h"

extern "C" Sound_Interface* _get_sound_driver(const std::string* params, int count) {
  if (count < 2 || params == nullptr) return nullptr;
  if (config_get_interface(params[0]) == nullptr) return nullptr;
  return new OpenAL_Sound(params[0], params[1]);
}
