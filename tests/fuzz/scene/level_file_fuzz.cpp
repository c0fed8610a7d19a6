// Any text as the level of a game scene: its walls made in the physics world, drawn, torn down.
#include <cstddef>
#include <cstdint>

#include "scene_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scene_input::load_level_text(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
