#pragma once
// Text taken from a file, as a message shows it: the bytes that could steer a terminal show as
// \xNN, so that a binary file given by mistake prints as text and cannot move the cursor or
// recolour the terminal. Those are the controls (below space, DEL, and U+0080 to U+009F) and
// every byte that is not part of well-formed UTF-8; other text passes as it is.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace tarnvale {

// The length of the well-formed UTF-8 character at text[at] that is no control, or 0.
inline std::size_t printable_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(at);
  if (lead >= 0x20 && lead < 0x7f) return 1;
  const std::size_t length = lead >= 0xc2 && lead <= 0xdf ? 2 : lead >= 0xe0 && lead <= 0xef ? 3
                           : lead >= 0xf0 && lead <= 0xf4 ? 4 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xc0) != 0x80) return 0;
  const unsigned second = byte(at + 1);
  if (lead == 0xc2 && second < 0xa0) return 0;                     // U+0080 to U+009F
  if ((lead == 0xe0 && second < 0xa0) || (lead == 0xf0 && second < 0x90)) return 0;  // overlong
  if ((lead == 0xed && second >= 0xa0) || (lead == 0xf4 && second >= 0x90)) return 0;  // surrogates, > U+10FFFF
  return length;
}

inline std::string shown(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    if (const std::size_t length = printable_length(text, at)) {
      out.append(text.substr(at, length));
      at += length;
      continue;
    }
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(text[at++]));
    out += code;
  }
  return out;
}

// In double quotes, as the messages name values, files and keys.
inline std::string quoted(std::string_view text) { return "\"" + shown(text) + "\""; }

}  // namespace tarnvale
