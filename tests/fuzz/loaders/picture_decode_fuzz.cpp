// Feeds arbitrary bytes to one picture decoder the way the loader does: header, size check,
// then every row into a buffer of the picture's size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture_loader.h"

extern "C" const picture_decoder FUZZED_DECODER;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const picture_decoder& decoder = FUZZED_DECODER;
  void* job = decoder.begin(data, size);
  if (job == nullptr) return 0;
  const unsigned width = decoder.width(job), height = decoder.height(job);
  // Forged sizes within the loader's limit decode the same way; keep them small for speed.
  const bool small = static_cast<unsigned long long>(width) * height <= (1u << 22);
  if (!decoder.failed(job) && picture_size_problem(width, height).empty() && small) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    std::vector<unsigned char*> rows(height);
    for (unsigned r = 0; r < height; ++r) rows[r] = &pixels[static_cast<std::size_t>(r) * width * 4];
    if (!decoder.pixels(job, rows.data()) && decoder.message(job)[0] == '\0') __builtin_trap();
  }
  decoder.end(job);
  return 0;
}
