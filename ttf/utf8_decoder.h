#pragma once
// UTF-8 bytes to code points, the renderer's way: lead bytes pick the sequence length, the
// continuation bytes are not checked, any other byte stands for itself.

#include <cstddef>
#include <vector>

namespace mordent {

// A sequence cut off by the end of the input takes zero bits for its missing bytes and ends the
// text; nothing past `size` is ever read.
std::vector<int> decode_utf8(const char* bytes, std::size_t size);

}  // namespace mordent
