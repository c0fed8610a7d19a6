#include "text_layout.h"

#include <algorithm>

namespace mordent {

TextLayout measure_text(const std::vector<TextItem>& items) {
  TextLayout layout;
  long long widest = 0;
  // Running 26.6 values of the current line.
  long long width = 0, descent = 0, height = 0;
  // Bearing of the last glyph loaded in this text; 0 before the first.
  long long last_bearing = 0;
  auto finish_line = [&] {
    TextLine line;
    line.width = width / 64;
    line.descent = descent / 64;
    line.height = descent / 64 + height / 64;
    layout.lines.push_back(line);
    layout.height += line.height;
    widest = std::max(widest, line.width);
  };
  for (const TextItem& item : items) {
    if (item.line_break) {
      finish_line();
      width = 0;
      descent = height = last_bearing / 4;
    } else if (item.glyph != nullptr) {
      const Glyph& g = *item.glyph;
      width += g.advance;
      descent = std::max(descent, static_cast<long long>(g.height) - g.bearing_y);
      height = std::max(height, static_cast<long long>(g.height));
      last_bearing = g.bearing_y;
    }
  }
  finish_line();
  layout.width = widest + 1;
  layout.height = std::max(0LL, layout.height);
  return layout;
}

void draw_text(const TextLayout& layout, const std::vector<TextItem>& items,
               const PixelTarget& target, const unsigned char rgba[4]) {
  const int width = std::min(target.width, target.pitch / 4);
  if (target.data == nullptr || width <= 0 || target.height <= 0) return;
  std::size_t line = 0;
  long long row = layout.height - layout.lines[0].height;
  if (row > 0) --row;
  long long pen_x = 0;
  for (const TextItem& item : items) {
    if (item.line_break) {
      ++line;
      row = std::max(0LL, row - layout.lines[line].height);
      pen_x = 0;
      continue;
    }
    if (item.glyph == nullptr) continue;
    const Glyph& g = *item.glyph;
    const long long y0 = row + layout.lines[line].descent + g.top - g.rows;
    // Only the columns and rows that land inside the target are visited.
    const int c_begin = static_cast<int>(std::clamp<long long>(-pen_x, 0, g.width));
    const int c_end = static_cast<int>(std::clamp<long long>(width - pen_x, 0, g.width));
    for (int r = 0; r < g.rows; ++r) {
      const long long y = y0 + r;
      if (y < 0 || y >= target.height) continue;
      const unsigned char* src = g.coverage.data() + static_cast<std::size_t>(g.rows - 1 - r) * g.width;
      unsigned char* dst = target.data + static_cast<std::size_t>(y) * target.pitch;
      for (int c = c_begin; c < c_end; ++c) {
        unsigned char* px = dst + static_cast<std::size_t>(pen_x + c) * 4;
        px[0] = rgba[0];
        px[1] = rgba[1];
        px[2] = rgba[2];
        px[3] = std::min(src[c], rgba[3]);
      }
    }
    pen_x += g.advance >> 6;
  }
}

}  // namespace mordent
