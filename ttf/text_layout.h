#pragma once
// Where the glyphs of a text go. The pen moves by the kerning with the glyph before and then by
// the glyph's advance; each glyph's bitmap sits at the pen plus its left bearing. Lines are
// placed by the font's ascent, descent and line height, never by the glyphs they hold, so a
// character can move neither the baseline nor another line. The pixels are 4-byte RGBA with row
// 0 at the bottom.

#include <algorithm>
#include <vector>

#include "glyph_cache.h"

namespace mordent {

// One character of a text: a line break (backslash followed by "n") or a glyph, null when the
// character could not be loaded and is skipped.
struct TextItem {
  bool line_break = false;
  const Glyph* glyph = nullptr;
  long kerning = 0;  // 26.6, with the glyph drawn before it on its line
};

// Splits code points into items; `glyph_of` maps a code point to its glyph, `kerning_of` a pair
// of glyphs (left, right) to their 26.6 kerning.
template <typename GlyphOf, typename KerningOf>
std::vector<TextItem> split_text(const std::vector<int>& codes, GlyphOf glyph_of,
                                 KerningOf kerning_of) {
  std::vector<TextItem> items;
  items.reserve(codes.size());
  const Glyph* previous = nullptr;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    TextItem item;
    if (codes[i] == '\\' && i + 1 < codes.size() && codes[i + 1] == 'n') {
      item.line_break = true;
      previous = nullptr;
      ++i;
    } else {
      const Glyph& glyph = glyph_of(codes[i]);
      if (glyph.loaded) {
        item.glyph = &glyph;
        if (previous != nullptr) item.kerning = kerning_of(*previous, glyph);
        previous = &glyph;
      }
    }
    items.push_back(item);
  }
  return items;
}

// The font's lines at one size, in whole pixels.
struct FontLines {
  int ascent = 0;       // baseline to the top of the line
  int descent = 0;      // baseline to the bottom of the line
  int line_height = 0;  // baseline to baseline
};

struct TextLayout {
  FontLines font;
  int lines = 0;          // 0 for a text without characters
  long long origin = 0;   // columns left of where the pen starts, for ink left of it
  long long width = 1;    // pixels, at least 1
  long long height = 0;   // pixels: 0 without characters
};

// Calls visit(item, pen column, line) for every item, the column being the pen's (after the
// item's kerning) in whole pixels from where its line starts; a line break is visited with the
// column where its line ends. Last, visit(nullptr, column where the text ends, last line).
template <typename Visit>
void walk_pen(const std::vector<TextItem>& items, Visit visit) {
  long long pen = 0;  // 26.6
  int line = 0;
  auto column = [&] { return (pen + 32) >> 6; };
  for (const TextItem& item : items) {
    if (item.glyph != nullptr) pen += item.kerning;
    visit(&item, column(), line);
    if (item.line_break) {
      pen = 0;
      ++line;
    } else if (item.glyph != nullptr) {
      pen += item.glyph->advance;
    }
  }
  visit(static_cast<const TextItem*>(nullptr), column(), line);
}

TextLayout measure_text(const std::vector<TextItem>& items, const FontLines& font);

// The pen's column (origin included) before each of the code points the items were split from,
// and after the last: codes.size() + 1 entries. A line break's second code point stands where
// the next line starts.
std::vector<int> caret_columns(const std::vector<TextItem>& items, const TextLayout& layout);

// 4 bytes per pixel (red, green, blue, alpha), `pitch` bytes per row, row 0 at the bottom. The
// text's column `first_column` lands in the target's column 0.
struct PixelTarget {
  unsigned char* data = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  long long first_column = 0;
};

// Writes the colour with alpha = min(coverage, alpha) over each glyph's box; where boxes
// overlap the higher alpha stays, so a kerned or overhanging neighbour cannot erase ink.
// Pixels outside the target are skipped.
void draw_text(const TextLayout& layout, const std::vector<TextItem>& items,
               const PixelTarget& target, const unsigned char rgba[4]);

}  // namespace mordent
