#include "text_layout.h"

#include <cstdint>
#include <cstring>

namespace mordent {

TextLayout measure_text(const std::vector<TextItem>& items, const FontLines& font) {
  TextLayout layout;
  layout.font = font;
  if (items.empty()) return layout;
  // Columns relative to the pen's start: the leftmost and rightmost ink or pen position.
  long long left = 0, right = 0;
  int last_line = 0;
  walk_pen(items, [&](const TextItem* item, long long pen, int line) {
    last_line = line;
    if (item == nullptr || item->line_break) {
      right = std::max(right, pen);
    } else if (item->glyph != nullptr) {
      const Glyph& g = *item->glyph;
      left = std::min(left, pen + g.left);
      right = std::max(right, pen + g.left + g.width);
    }
  });
  layout.lines = last_line + 1;
  layout.origin = -left;
  layout.width = std::max(1LL, right - left);
  layout.height = static_cast<long long>(layout.lines - 1) * font.line_height + font.ascent +
                  font.descent;
  layout.height = std::max(0LL, layout.height);
  return layout;
}

std::vector<int> caret_columns(const std::vector<TextItem>& items, const TextLayout& layout) {
  std::vector<int> carets;
  carets.reserve(items.size() + 1);
  walk_pen(items, [&](const TextItem* item, long long pen, int) {
    carets.push_back(static_cast<int>(layout.origin + pen));
    if (item != nullptr && item->line_break) carets.push_back(static_cast<int>(layout.origin));
  });
  return carets;
}

void draw_text(const TextLayout& layout, const std::vector<TextItem>& items,
               const PixelTarget& target, const unsigned char rgba[4]) {
  const int width = std::min(target.width, target.pitch / 4);
  if (target.data == nullptr || width <= 0 || target.height <= 0) return;
  // The colour as a pixel word with alpha 0; alpha is the fourth byte in memory.
  const unsigned char colour_bytes[4] = {rgba[0], rgba[1], rgba[2], 0};
  std::uint32_t colour;
  std::memcpy(&colour, colour_bytes, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  const int alpha_shift = 0;
#else
  const int alpha_shift = 24;
#endif
  walk_pen(items, [&](const TextItem* item, long long pen, int line) {
    if (item == nullptr || item->glyph == nullptr) return;
    const Glyph& g = *item->glyph;
    const long long x0 = layout.origin + pen + g.left - target.first_column;
    // The glyph's top row, counted from the top of the text.
    const long long top = static_cast<long long>(line) * layout.font.line_height +
                          layout.font.ascent - g.top;
    // Only the columns and rows that land inside the target are visited.
    const int c_begin = static_cast<int>(std::clamp<long long>(-x0, 0, g.width));
    const int c_end = static_cast<int>(std::clamp<long long>(width - x0, 0, g.width));
    for (int r = 0; r < g.rows; ++r) {
      const long long y = layout.height - 1 - (top + r);
      if (y < 0 || y >= target.height) continue;
      const unsigned char* src = g.coverage.data() + static_cast<std::size_t>(r) * g.width;
      unsigned char* dst = target.data + static_cast<std::size_t>(y) * target.pitch;
      // Whole pixels as words, without branches, so that the loop vectorises.
      unsigned char* px = dst + static_cast<std::size_t>(x0 + c_begin) * 4;
      for (int c = c_begin; c < c_end; ++c, px += 4) {
        std::uint32_t old_pixel;
        std::memcpy(&old_pixel, px, 4);
        const std::uint32_t alpha = std::min(src[c], rgba[3]);
        const std::uint32_t new_pixel = colour | (alpha << alpha_shift);
        const std::uint32_t result = alpha >= ((old_pixel >> alpha_shift) & 0xFF) ? new_pixel : old_pixel;
        std::memcpy(px, &result, 4);
      }
    }
  });
}

}  // namespace mordent
