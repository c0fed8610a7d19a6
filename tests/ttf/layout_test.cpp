// The placing and drawing rules on made-up glyphs, where every number is known.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "text_layout.h"

using mordent::FontLines;
using mordent::Glyph;
using mordent::TextItem;

namespace {

// A glyph whose bitmap rows are filled with their own row number + 1 (top row first).
Glyph make_glyph(int advance_px, int left, int top, int rows, int width) {
  Glyph g;
  g.loaded = true;
  g.advance = advance_px * 64;
  g.left = left;
  g.top = top;
  g.rows = rows;
  g.width = width;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < width; ++c) g.coverage.push_back(static_cast<unsigned char>(r + 1));
  return g;
}

TextItem glyph_item(const Glyph& g, int kerning_px = 0) {
  TextItem item;
  item.glyph = &g;
  item.kerning = kerning_px * 64;
  return item;
}

TextItem line_break() {
  TextItem item;
  item.line_break = true;
  return item;
}

// 10 px above the baseline, 3 below, 15 from baseline to baseline.
const FontLines kFont{10, 3, 15};

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

TEST(TextLayout, WidthRunsFromTheLeftmostInkToTheRightmostInkOrPen) {
  const Glyph a = make_glyph(10, 1, 8, 8, 8);   // ink in columns 1..8 of its advance
  const Glyph b = make_glyph(6, -2, 8, 8, 9);   // reaches 2 columns left of its pen, 1 past its advance
  // a, then b kerned 1 px closer: b's pen at 9, its ink from 7 to 15, the pen ends at 15.
  auto layout = mordent::measure_text({glyph_item(a), glyph_item(b, -1)}, kFont);
  EXPECT_EQ(layout.origin, 0);
  EXPECT_EQ(layout.width, 16);
  // Starting with b: its ink left of the pen moves the origin, so nothing is cut off.
  layout = mordent::measure_text({glyph_item(b), glyph_item(a)}, kFont);
  EXPECT_EQ(layout.origin, 2);
  EXPECT_EQ(layout.width, 2 + 6 + 10);
  // A space-like glyph without ink still takes its advance.
  const Glyph space = make_glyph(5, 0, 0, 0, 0);
  EXPECT_EQ(mordent::measure_text({glyph_item(a), glyph_item(space)}, kFont).width, 15);
}

TEST(TextLayout, HeightComesFromTheFontsLinesNotFromTheGlyphs) {
  const Glyph small = make_glyph(5, 0, 2, 2, 4);
  const Glyph tall = make_glyph(5, 0, 14, 20, 4);  // beyond the ascent and the descent
  const auto one_small = mordent::measure_text({glyph_item(small)}, kFont);
  const auto one_tall = mordent::measure_text({glyph_item(tall)}, kFont);
  EXPECT_EQ(one_small.lines, 1);
  EXPECT_EQ(one_small.height, 13);
  EXPECT_EQ(one_tall.height, 13);
  const auto three = mordent::measure_text(
      {glyph_item(small), line_break(), line_break(), glyph_item(tall)}, kFont);
  EXPECT_EQ(three.lines, 3);
  EXPECT_EQ(three.height, 2 * 15 + 13);

  const auto empty = mordent::measure_text({}, kFont);
  EXPECT_EQ(empty.lines, 0);
  EXPECT_EQ(empty.width, 1);
  EXPECT_EQ(empty.height, 0);
  EXPECT_EQ(mordent::measure_text({line_break()}, kFont).height, 15 + 13)
      << "a break alone still makes two lines";
}

TEST(TextLayout, GlyphsHangFromTheAscentAndLinesAreOneLineHeightApart) {
  const Glyph a = make_glyph(6, 1, 7, 9, 3);  // 7 rows above the baseline, 2 below
  const std::vector<TextItem> items = {glyph_item(a), line_break(), glyph_item(a)};
  const auto layout = mordent::measure_text(items, kFont);
  ASSERT_EQ(layout.height, 28);
  Canvas canvas(6, 28, 8);
  mordent::draw_text(layout, items, canvas.target(), white);
  // Line 0: baseline 10 rows from the top, so the glyph's top row is row 3 from the top,
  // row 24 from the bottom; its bottom row (coverage 9) is row 16 from the bottom.
  EXPECT_EQ(canvas.alpha(1, 25), 0);
  EXPECT_EQ(canvas.alpha(1, 24), 1);
  EXPECT_EQ(canvas.alpha(3, 16), 9);
  EXPECT_EQ(canvas.alpha(3, 15), 0);
  EXPECT_EQ(canvas.alpha(0, 20), 0) << "the left bearing keeps column 0 clear";
  EXPECT_EQ(canvas.alpha(4, 20), 0);
  // Line 1: the same, 15 rows lower.
  EXPECT_EQ(canvas.alpha(1, 9), 1);
  EXPECT_EQ(canvas.alpha(3, 1), 9);
  EXPECT_EQ(canvas.alpha(3, 0), 0);
}

TEST(TextLayout, OverlappingGlyphBoxesKeepTheHigherAlpha) {
  // b is kerned back over a: its box covers a's last columns, with lower coverage there.
  const Glyph a = make_glyph(4, 0, 2, 2, 4);     // rows of coverage 1 and 2
  Glyph b = make_glyph(4, 0, 2, 2, 4);
  std::fill(b.coverage.begin(), b.coverage.end(), 0);
  b.coverage[0] = 200;                            // one inked pixel, top left
  const std::vector<TextItem> items = {glyph_item(a), glyph_item(b, -2)};
  const auto layout = mordent::measure_text(items, kFont);
  Canvas canvas(static_cast<int>(layout.width), static_cast<int>(layout.height), 8);
  mordent::draw_text(layout, items, canvas.target(), white);
  const int top = static_cast<int>(layout.height) - 1 - (kFont.ascent - 2);
  EXPECT_EQ(canvas.alpha(2, top), 200);
  EXPECT_EQ(canvas.alpha(3, top), 1) << "b's empty pixel does not erase a's ink";
  EXPECT_EQ(canvas.alpha(3, top - 1), 2);
}

TEST(TextLayout, CaretsStandWhereThePenIsBeforeEachCodePoint) {
  const Glyph a = make_glyph(10, 1, 8, 8, 8);
  const Glyph back = make_glyph(6, -3, 8, 8, 4);
  // back (origin 3), a kerned by -2, a line break (two code points), a.
  const std::vector<TextItem> items = {glyph_item(back), glyph_item(a, -2), line_break(),
                                       glyph_item(a)};
  const auto layout = mordent::measure_text(items, kFont);
  ASSERT_EQ(layout.origin, 3);
  EXPECT_EQ(mordent::caret_columns(items, layout), (std::vector<int>{3, 7, 17, 3, 3, 13}));
  EXPECT_EQ(mordent::caret_columns({}, mordent::measure_text({}, kFont)), std::vector<int>{0});
}

TEST(TextLayout, PixelsOutsideTheTargetAreSkipped) {
  // Far above the line, far to the left (negative advance) and wider than the target.
  const Glyph high = make_glyph(3, 0, 60, 4, 3);
  const Glyph back = make_glyph(-50, 0, 2, 2, 2);
  const Glyph wide = make_glyph(40, 0, 4, 4, 40);
  const std::vector<TextItem> items = {glyph_item(high), glyph_item(back), glyph_item(wide),
                                       glyph_item(wide)};
  const auto layout = mordent::measure_text(items, kFont);
  Canvas canvas(5, 3, 5);
  mordent::draw_text(layout, items, canvas.target(), white);  // ASan would stop a stray write
  // The target is narrower than its rows: columns past `width` stay untouched even when the
  // pitch leaves room for them.
  Canvas padded(3, 3, 8);
  mordent::draw_text(layout, items, padded.target(), white);
  for (int y = 0; y < 3; ++y)
    for (int x = 3; x < 8; ++x) EXPECT_EQ(padded.alpha(x, y), 0) << x << "," << y;
}

TEST(TextLayout, SplittingFindsBackslashNAndKernsNeighboursOnOneLine) {
  const Glyph g = make_glyph(1, 0, 1, 1, 1);
  auto glyph_of = [&](int) -> const Glyph& { return g; };
  auto kerning_of = [](const Glyph&, const Glyph&) { return -64L; };
  auto split = [&](std::vector<int> codes) { return mordent::split_text(codes, glyph_of, kerning_of); };
  auto count_breaks = [&](std::vector<int> codes) {
    const auto items = split(codes);
    return std::count_if(items.begin(), items.end(), [](const TextItem& i) { return i.line_break; });
  };
  EXPECT_EQ(count_breaks({'a', '\\', 'n', 'b'}), 1);
  EXPECT_EQ(count_breaks({'a', '\n', 'b'}), 0);
  EXPECT_EQ(count_breaks({'\\', '\\', 'n'}), 1);  // the second backslash starts the break
  EXPECT_EQ(count_breaks({'\\'}), 0);             // a last backslash is a character
  EXPECT_EQ(count_breaks({'\\', 'N'}), 0);
  EXPECT_EQ(split({'\\', 'n'}).size(), 1u);

  // The first glyph of each line has no neighbour to kern with.
  const auto kerned = split({'a', 'b', '\\', 'n', 'c', 'd'});
  ASSERT_EQ(kerned.size(), 5u);
  EXPECT_EQ(kerned[0].kerning, 0);
  EXPECT_EQ(kerned[1].kerning, -64);
  EXPECT_EQ(kerned[3].kerning, 0);
  EXPECT_EQ(kerned[4].kerning, -64);

  Glyph missing;
  const auto skipped = mordent::split_text({'x'}, [&](int) -> const Glyph& { return missing; }, kerning_of);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].glyph, nullptr);
}
