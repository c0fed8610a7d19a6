#include "utf8_decoder.h"

namespace mordent {

std::vector<int> decode_utf8(const char* bytes, std::size_t size) {
  std::vector<int> codes;
  codes.reserve(size);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes);
  std::size_t i = 0;
  while (i < size) {
    const unsigned lead = b[i];
    std::size_t length = 1;
    unsigned code = lead;
    if (lead >= 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else if (lead >= 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xC0) {
      length = 2;
      code = lead & 0x1F;
    }
    for (std::size_t k = 1; k < length; ++k) {
      const unsigned next = i + k < size ? (b[i + k] & 0x3F) : 0;
      code = (code << 6) | next;
    }
    codes.push_back(static_cast<int>(code));
    i += length;
  }
  return codes;
}

}  // namespace mordent
