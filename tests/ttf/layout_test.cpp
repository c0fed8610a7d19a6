// The measuring and drawing rules on made-up glyphs, where every number is known.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "text_layout.h"

using mordent::Glyph;
using mordent::TextItem;

namespace {

// A glyph whose bitmap rows are filled with their own row number + 1 (top row first).
Glyph make_glyph(long advance, long height, long bearing_y, int top, int rows, int width) {
  Glyph g;
  g.loaded = true;
  g.advance = advance;
  g.height = height;
  g.bearing_y = bearing_y;
  g.top = top;
  g.rows = rows;
  g.width = width;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < width; ++c) g.coverage.push_back(static_cast<unsigned char>(r + 1));
  return g;
}

TextItem glyph_item(const Glyph& g) {
  TextItem item;
  item.glyph = &g;
  return item;
}

TextItem line_break() {
  TextItem item;
  item.line_break = true;
  return item;
}

struct Canvas {
  Canvas(int w, int h, int pitch_pixels) : width(w), height(h), pitch(pitch_pixels * 4), bytes(pitch * h) {}
  mordent::PixelTarget target() {
    mordent::PixelTarget t;
    t.data = bytes.data();
    t.width = width;
    t.height = height;
    t.pitch = pitch;
    return t;
  }
  int alpha(int x, int y) const { return bytes[y * pitch + x * 4 + 3]; }
  int width, height, pitch;
  std::vector<unsigned char> bytes;  // exact size: ASan catches any write past it
};

const unsigned char white[4] = {255, 255, 255, 255};

}  // namespace

TEST(TextLayout, LinesAreMeasuredInWholePixelsWithTheNextLineSeededByTheLastBearing) {
  // 10 px advance, 12.5 px high, 10 px above the baseline: 2.5 px below it.
  const Glyph a = make_glyph(640, 800, 640, 10, 12, 9);
  // 5 px high, all above the baseline.
  const Glyph b = make_glyph(384, 320, 320, 5, 5, 6);
  const auto layout = mordent::measure_text({glyph_item(a), line_break(), glyph_item(b)});
  ASSERT_EQ(layout.lines.size(), 2u);
  EXPECT_EQ(layout.lines[0].width, 10);
  EXPECT_EQ(layout.lines[0].descent, 2);            // 160 / 64, truncated
  EXPECT_EQ(layout.lines[0].height, 2 + 12);        // each part truncated on its own
  // Line 2 starts with descent = height = 640 / 4 = 160 (26.6): 2.5 px of descent stays.
  EXPECT_EQ(layout.lines[1].width, 6);
  EXPECT_EQ(layout.lines[1].descent, 2);
  EXPECT_EQ(layout.lines[1].height, 2 + 5);
  EXPECT_EQ(layout.width, 11);
  EXPECT_EQ(layout.height, 21);
}

TEST(TextLayout, EmptyTextsAndEmptyLines) {
  const auto empty = mordent::measure_text({});
  ASSERT_EQ(empty.lines.size(), 1u);
  EXPECT_EQ(empty.width, 1);
  EXPECT_EQ(empty.height, 0);

  // Breaks before any glyph: every line starts from a zero bearing.
  const auto breaks = mordent::measure_text({line_break(), line_break()});
  ASSERT_EQ(breaks.lines.size(), 3u);
  EXPECT_EQ(breaks.height, 0);

  // A glyph below the baseline (an underscore) seeds a negative next line; the total never
  // goes below zero.
  const Glyph under = make_glyph(640, 64, -640, -10, 1, 8);
  const auto negative = mordent::measure_text({glyph_item(under), line_break(), line_break()});
  EXPECT_EQ(negative.lines[1].height, -2 + -2);
  EXPECT_GE(negative.height, 0);
}

TEST(TextLayout, GlyphsAreDrawnUpsideDownFromTheLineRowAndOverwrite) {
  const Glyph a = make_glyph(640, 800, 640, 10, 12, 9);
  const Glyph b = make_glyph(384, 320, 320, 5, 5, 6);
  const std::vector<TextItem> items = {glyph_item(a), line_break(), glyph_item(b)};
  const auto layout = mordent::measure_text(items);
  Canvas canvas(11, 21, 16);
  mordent::draw_text(layout, items, canvas.target(), white);
  // Line 0 row = 21 - 14 - 1 = 6; its glyph bottom is 6 + 2 + 10 - 12 = 6 and its bottom bitmap
  // row (coverage 12) lands there, its top row (coverage 1) at row 17.
  EXPECT_EQ(canvas.alpha(7, 5), 0);
  EXPECT_EQ(canvas.alpha(7, 6), 12);
  EXPECT_EQ(canvas.alpha(8, 17), 1);
  EXPECT_EQ(canvas.alpha(7, 18), 0);
  EXPECT_EQ(canvas.alpha(9, 10), 0);  // past the glyph's width
  // Line 1 row = max(0, 6 - 7) = 0; glyph bottom 0 + 2 + 5 - 5 = 2, top row at 6.
  EXPECT_EQ(canvas.alpha(0, 1), 0);
  EXPECT_EQ(canvas.alpha(0, 2), 5);
  EXPECT_EQ(canvas.alpha(5, 6), 1);
  // Row 6 is shared: the second line overwrites the first where its box lies, not beside it.
  EXPECT_EQ(canvas.alpha(0, 6), 1);
  EXPECT_EQ(canvas.alpha(6, 6), 12);
}

TEST(TextLayout, PixelsOutsideTheTargetAreSkipped) {
  // Far above the line, far to the left (negative advance) and wider than the target.
  const Glyph high = make_glyph(64 * 3, 64 * 4, 64 * 4, 60, 4, 3);
  const Glyph back = make_glyph(-64 * 50, 64 * 2, 64 * 2, 2, 2, 2);
  const Glyph wide = make_glyph(64 * 40, 64 * 4, 64 * 4, 4, 4, 40);
  const std::vector<TextItem> items = {glyph_item(high), glyph_item(back), glyph_item(wide),
                                       glyph_item(wide)};
  const auto layout = mordent::measure_text(items);
  Canvas canvas(5, 3, 5);
  mordent::draw_text(layout, items, canvas.target(), white);  // ASan would stop a stray write
  // The target is narrower than its rows: columns past `width` stay untouched even when the
  // pitch leaves room for them.
  Canvas padded(3, 3, 8);
  mordent::draw_text(layout, items, padded.target(), white);
  for (int y = 0; y < 3; ++y)
    for (int x = 3; x < 8; ++x) EXPECT_EQ(padded.alpha(x, y), 0) << x << "," << y;
}

TEST(TextLayout, SplittingFindsBackslashNOnly) {
  const Glyph g = make_glyph(64, 64, 64, 1, 1, 1);
  auto glyph_of = [&](int) -> const Glyph& { return g; };
  auto count_breaks = [&](std::vector<int> codes) {
    const auto items = mordent::split_text(codes, glyph_of);
    return std::count_if(items.begin(), items.end(), [](const TextItem& i) { return i.line_break; });
  };
  EXPECT_EQ(count_breaks({'a', '\\', 'n', 'b'}), 1);
  EXPECT_EQ(count_breaks({'a', '\n', 'b'}), 0);
  EXPECT_EQ(count_breaks({'\\', '\\', 'n'}), 1);  // the second backslash starts the break
  EXPECT_EQ(count_breaks({'\\'}), 0);             // a last backslash is a character
  EXPECT_EQ(count_breaks({'\\', 'N'}), 0);
  EXPECT_EQ(mordent::split_text({'\\', 'n'}, glyph_of).size(), 1u);

  Glyph missing;
  const auto skipped = mordent::split_text({'x'}, [&](int) -> const Glyph& { return missing; });
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].glyph, nullptr);
}
