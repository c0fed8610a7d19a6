#pragma once
// Where the glyphs of a text go: the measuring pass that sizes the bitmap and its lines, and the
// drawing pass that writes coverage into 4-byte RGBA pixels whose row 0 is the bottom row.

#include <vector>

#include "glyph_cache.h"

namespace mordent {

// One character of a text: a line break (backslash followed by "n") or a glyph, null when the
// character could not be loaded and is skipped.
struct TextItem {
  bool line_break = false;
  const Glyph* glyph = nullptr;
};

// Splits code points into items; `glyph_of` maps a code point to its glyph.
template <typename GlyphOf>
std::vector<TextItem> split_text(const std::vector<int>& codes, GlyphOf glyph_of) {
  std::vector<TextItem> items;
  items.reserve(codes.size());
  for (std::size_t i = 0; i < codes.size(); ++i) {
    TextItem item;
    if (codes[i] == '\\' && i + 1 < codes.size() && codes[i + 1] == 'n') {
      item.line_break = true;
      ++i;
    } else {
      const Glyph& glyph = glyph_of(codes[i]);
      item.glyph = glyph.loaded ? &glyph : nullptr;
    }
    items.push_back(item);
  }
  return items;
}

struct TextLine {
  long long width = 0;    // pixels
  long long height = 0;   // pixels: descent + glyph height
  long long descent = 0;  // pixels below the baseline
};

struct TextLayout {
  std::vector<TextLine> lines;  // at least one
  long long width = 1;          // widest line + 1
  long long height = 0;         // sum of the line heights, never below 0
};

TextLayout measure_text(const std::vector<TextItem>& items);

// 4 bytes per pixel (red, green, blue, alpha), `pitch` bytes per row, row 0 at the bottom.
struct PixelTarget {
  unsigned char* data = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
};

// Overwrites the pixels each glyph box covers with the colour and alpha = min(coverage, alpha);
// pixels outside the target are skipped.
void draw_text(const TextLayout& layout, const std::vector<TextItem>& items,
               const PixelTarget& target, const unsigned char rgba[4]);

}  // namespace mordent
