// The plug-in entry of the windowless test driver.
#include "memory_video.h"

extern "C" __attribute__((visibility("default"))) Video_Interface* _get_video_driver(
    const std::string*, int) {
  return new MemoryVideo();
}
