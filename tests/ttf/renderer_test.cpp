// Real text with the shipped font, checked pixel by pixel in the surfaces it lands in.

#include <algorithm>

#include "renderer_fixture.h"

namespace {

// Rows (from the bottom) that hold any covered pixel in the columns [x0, x1).
std::vector<int> inked_rows(Video_Surface* s, int x0, int x1) {
  std::vector<int> rows;
  for (int y = 0; y < s->_get_height(); ++y)
    for (int x = x0; x < std::min(x1, s->_get_width()); ++x)
      if (pixel(s, x, y)[3] > 0) {
        rows.push_back(y);
        break;
      }
  return rows;
}

}  // namespace

TEST_F(RendererTest, RowZeroIsTheBottomOfTheText) {
  Video_Surface* s = render("T", 48);
  ASSERT_NE(s, nullptr);
  // The bar of a T is the row with the most ink; it must sit near the top of the surface.
  const auto rows = alpha_rows(s);
  int bar = 0, best = -1;
  for (int y = 0; y < s->_get_height(); ++y) {
    const int ink = static_cast<int>(std::count_if(rows[y].begin(), rows[y].end(), [](int a) { return a > 128; }));
    if (ink > best) best = ink, bar = y;
  }
  EXPECT_GT(bar, s->_get_height() * 3 / 4) << "height " << s->_get_height();
}

TEST_F(RendererTest, BackslashNBreaksTheLineButALineFeedDoesNot) {
  Video_Surface* ab = render("ab", 32, make_color(255, 255, 255, 255), "ab");
  Video_Surface* two = render("ab\\nc", 32, make_color(255, 255, 255, 255), "two");
  Video_Surface* one = render("ab\nc", 32, make_color(255, 255, 255, 255), "one");
  ASSERT_TRUE(ab && two && one);

  // "ab" over "c": as wide as "ab", taller than one line.
  EXPECT_EQ(two->_get_width(), ab->_get_width());
  EXPECT_GT(two->_get_height(), ab->_get_height() * 3 / 2);
  // The ink of "c" (at the left edge, below) lies entirely under the ink of "ab".
  const std::vector<int> all = inked_rows(two, 0, two->_get_width());
  const std::vector<int> right = inked_rows(two, ab->_get_width() / 2 + 2, two->_get_width());  // "b" only
  ASSERT_FALSE(all.empty());
  ASSERT_FALSE(right.empty());
  EXPECT_LT(all.front(), right.front() - 4) << "the second line starts below the first";

  // A real line feed stays on the line: wider than "ab", no taller than a line with "c".
  EXPECT_GT(one->_get_width(), ab->_get_width());
  EXPECT_LT(one->_get_height(), two->_get_height());
}

TEST_F(RendererTest, TheBaselineStaysWhereTheFontPutsItWhateverTheCharacters) {
  int descent_plain = -1, descent_accent = -1, descent_tail = -1;
  Video_Surface* plain = render_codes({'J', 'a', 'n'}, 32, "plain", &descent_plain);
  Video_Surface* accent = render_codes({'J', 'a', 'n', 0xE9}, 32, "accent", &descent_accent);  // é
  Video_Surface* tail = render_codes({'J', 'a', 'n', 'g'}, 32, "tail", &descent_tail);
  ASSERT_TRUE(plain && accent && tail);
  // DejaVu Sans at 32 px: 30 px above the baseline, 8 below.
  EXPECT_EQ(plain->_get_height(), 30 + 8);
  EXPECT_EQ(accent->_get_height(), plain->_get_height());
  EXPECT_EQ(tail->_get_height(), plain->_get_height());
  EXPECT_EQ(descent_plain, 8);
  EXPECT_EQ(descent_accent, 8);
  EXPECT_EQ(descent_tail, 8);
  // "n" stands on the baseline: its lowest ink is the row right above the descent.
  const int n_column = plain->_get_width() - 5;
  const std::vector<int> n_rows = inked_rows(plain, n_column, n_column + 1);
  ASSERT_FALSE(n_rows.empty());
  EXPECT_EQ(n_rows.front(), 8);
  // "Jan" is the same pixels with or without a taller or deeper character after it.
  for (Video_Surface* other : {accent, tail})
    for (int y = 0; y < plain->_get_height(); ++y)
      for (int x = 0; x < plain->_get_width() - 2; ++x)
        ASSERT_EQ(pixel(other, x, y), pixel(plain, x, y)) << x << "," << y;

  // Lines are one line height apart: 37 px for DejaVu Sans at 32 px.
  Video_Surface* two = render_codes({'n', '\\', 'n', 'n'}, 32, "two");
  ASSERT_NE(two, nullptr);
  EXPECT_EQ(two->_get_height(), 37 + 30 + 8);
  const std::vector<int> two_rows = inked_rows(two, 0, two->_get_width());
  ASSERT_FALSE(two_rows.empty());
  EXPECT_EQ(two_rows.front(), 8) << "the second line's baseline";
  EXPECT_NE(std::find(two_rows.begin(), two_rows.end(), 8 + 37), two_rows.end());
  EXPECT_EQ(std::find(two_rows.begin(), two_rows.end(), 8 + 37 - 1), two_rows.end())
      << "nothing of the first line's n below its baseline";

  std::vector<int> codes = {'g', '\\', 'n', 'x'};
  ASSERT_TRUE(renderer.render_sprite("MemVideo", "Sans", &codes, make_color(255, 255, 255, 255),
                                     32, "gs", "texts", true))
      << renderer.get_error();
  Video_Sprite* sprite = video->_get_sprite("gs", "texts");
  ASSERT_NE(sprite, nullptr);
  EXPECT_EQ(sprite->_get_surface_name(), "gs");
  EXPECT_EQ(sprite->_get_surface_group(), "texts");
  EXPECT_DOUBLE_EQ(sprite->_get_base_x(), 0.0);
  EXPECT_DOUBLE_EQ(sprite->_get_base_y(), 2.0 * 8 / video->_get_height());
}

TEST_F(RendererTest, ColourBytesAreWrittenAndAlphaIsCappedByTheColour) {
  Video_Surface* full = render("Wg", 32, make_color(10, 200, 30, 255), "full");
  Video_Surface* half = render("Wg", 32, make_color(10, 200, 30, 128), "half");
  ASSERT_TRUE(full && half);
  ASSERT_EQ(full->_get_width(), half->_get_width());
  ASSERT_EQ(full->_get_height(), half->_get_height());
  int covered = 0, partial = 0;
  for (int y = 0; y < full->_get_height(); ++y)
    for (int x = 0; x < full->_get_width(); ++x) {
      const Rgba f = pixel(full, x, y), h = pixel(half, x, y);
      EXPECT_EQ(h[3], std::min<int>(f[3], 128)) << x << "," << y;
      if (f[3] == 255) ++covered;
      if (f[3] > 0 && f[3] < 128) ++partial;
      if (f[3] > 0) {
        EXPECT_EQ(f[0], 10);
        EXPECT_EQ(f[1], 200);
        EXPECT_EQ(f[2], 30);
      }
    }
  EXPECT_GT(covered, 20);
  EXPECT_GT(partial, 5);
}

TEST_F(RendererTest, NothingIsWrittenOutsideTheShownArea) {
  Video_Surface* s = render("Hello, World \xE2\x82\xAC", 20);
  ASSERT_NE(s, nullptr);
  ASSERT_GT(s->_get_texture_width(), s->_get_width()) << "pick a text that leaves padding";
  const std::vector<unsigned char> bytes = all_bytes(s);
  for (int y = 0; y < s->_get_texture_height(); ++y)
    for (int x = 0; x < s->_get_texture_width(); ++x) {
      if (x < s->_get_width() && y < s->_get_height()) continue;
      const size_t at = static_cast<size_t>(y) * s->_get_pitch() + x * 4;
      ASSERT_EQ(bytes[at] | bytes[at + 1] | bytes[at + 2] | bytes[at + 3], 0) << x << "," << y;
    }
  EXPECT_EQ(static_cast<MemorySurface*>(s)->updates, 1) << "the pixels are uploaded once";
}

TEST_F(RendererTest, EmptyTextGivesAOnePixelWideEmptySurface) {
  int descent = -1;
  Video_Surface* s = render_codes({}, 16, "empty", &descent);
  ASSERT_NE(s, nullptr) << renderer.get_error();
  EXPECT_EQ(s->_get_width(), 1);
  EXPECT_EQ(s->_get_height(), 0);
  EXPECT_EQ(descent, 0);
  EXPECT_NE(render("", 16, make_color(1, 2, 3, 4), "empty utf8"), nullptr);

  // A line break alone is two empty lines of the font's height.
  s = render_codes({'\\', 'n'}, 16, "breaks", &descent);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->_get_width(), 1);
  EXPECT_GT(s->_get_height(), 2 * 16);

  // Where the driver wants at least one row, the empty text gets one clear row.
  video->refuse_empty_surfaces = true;
  s = render_codes({}, 16, "one row", &descent);
  ASSERT_NE(s, nullptr) << renderer.get_error();
  EXPECT_EQ(s->_get_width(), 1);
  EXPECT_EQ(s->_get_height(), 1);
  EXPECT_EQ(pixel(s, 0, 0), (Rgba{0, 0, 0, 0}));
  std::vector<int> nothing;
  EXPECT_FALSE(renderer.render_text("MemVideo", "Sans", &nothing, make_color(1, 2, 3, 4), 16,
                                    "one row", "texts", false, nullptr));
  EXPECT_EQ(renderer.get_error(), "Cant create surface: w:1h:0:Surface already exist: one row")
      << "a real failure still reports the size asked for";
}

TEST_F(RendererTest, CodePointsAboveFFFFAreDrawnAsTheirLowSixteenBits) {
  Video_Surface* plain = render_codes({'A', 'z'}, 24, "plain");
  Video_Surface* high = render_codes({0x10041, 0x7007A}, 24, "high");
  Video_Surface* utf8 = render("\xF0\x90\x81\x81z", 24, make_color(255, 255, 255, 255), "utf8");
  ASSERT_TRUE(plain && high && utf8);
  EXPECT_EQ(all_bytes(high), all_bytes(plain));
  EXPECT_EQ(all_bytes(utf8), all_bytes(plain));
}

TEST_F(RendererTest, CachedGlyphsDrawExactlyWhatFreshOnesDo) {
  Video_Surface* first = render("Quartz 16 \\n jumps", 16, make_color(255, 255, 255, 255), "a");
  const std::vector<unsigned char> fresh = all_bytes(first);
  ASSERT_NE(render("Quartz 16 \\n jumps", 48, make_color(255, 255, 255, 255), "b"), nullptr);
  EXPECT_EQ(all_bytes(render("Quartz 16 \\n jumps", 16, make_color(255, 255, 255, 255), "c")), fresh)
      << "another size in between must not leak into the cached glyphs";
  renderer.drop_glyph_cache();
  EXPECT_EQ(all_bytes(render("Quartz 16 \\n jumps", 16, make_color(255, 255, 255, 255), "d")), fresh);
}

TEST_F(RendererTest, FailuresSayWhatWentWrong) {
  std::vector<int> codes = {'a'};
  const VideoColor white = make_color(255, 255, 255, 255);
  EXPECT_FALSE(renderer.render_text("MemVideo", "Serif", &codes, white, 16, "n", "g", true, nullptr));
  EXPECT_EQ(renderer.get_error(), "No such alias:\"Serif\"");

  ASSERT_TRUE(renderer.render_text("MemVideo", "Sans", &codes, white, 16, "once", "g", false, nullptr));
  EXPECT_FALSE(renderer.render_text("MemVideo", "Sans", &codes, white, 16, "once", "g", false, nullptr));
  const std::string error = renderer.get_error();
  EXPECT_EQ(error.rfind("Cant create surface: w:", 0), 0u) << error;
  EXPECT_NE(error.find("h:"), std::string::npos) << error;
  EXPECT_EQ(error.substr(error.size() - std::string(":Surface already exist: once").size()),
            ":Surface already exist: once");

  for (int size : {0, -12, TTF_Renderer::max_pixel_size + 1}) {
    EXPECT_FALSE(renderer.render_text("MemVideo", "Sans", &codes, white, size, "n", "g", true, nullptr));
    EXPECT_EQ(renderer.get_error(), "Error setting face size") << size;
  }

  EXPECT_FALSE(renderer.render_text("NoVideo", "Sans", &codes, white, 16, "n", "g", true, nullptr));
  EXPECT_EQ(renderer.get_error(), "Can't get video driver: No such video: NoVideo");
  EXPECT_FALSE(renderer.render_sprite("NoVideo", "Sans", &codes, white, 16, "n", "g", true));
  EXPECT_EQ(renderer.get_error(), "Can't get video driver: No such video: NoVideo");

  EXPECT_EQ(renderer.get_version(), "1.0");
}

TEST_F(RendererTest, NullTextsRenderAsEmpty) {
  const VideoColor white = make_color(255, 255, 255, 255);
  EXPECT_TRUE(renderer.render_text("MemVideo", "Sans", static_cast<std::vector<int>*>(nullptr),
                                   white, 16, "n1", "g", true, nullptr));
  EXPECT_TRUE(renderer.render_text("MemVideo", "Sans", static_cast<std::string*>(nullptr), white,
                                   16, "n2", "g", true));
  std::string text = "ok";
  EXPECT_TRUE(renderer.render_text("MemVideo", "Sans", &text, white, 16, "n3", "g", true));
  EXPECT_GT(video->_get_surface("n3", "g")->_get_width(), 10);
}

namespace {

// FreeType's own numbers for a glyph of the shipped font, from a face of the test's own.
struct FreeTypeFace {
  explicit FreeTypeFace(int pixel_size) {
    FT_Init_FreeType(&library);
    FT_New_Face(library, shipped_font().c_str(), 0, &face);
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size));
  }
  ~FreeTypeFace() {
    FT_Done_Face(face);
    FT_Done_FreeType(library);
  }
  struct Metrics {
    int advance, left, width;
  };
  Metrics metrics(int code) {
    FT_Load_Char(face, static_cast<FT_ULong>(code), FT_LOAD_RENDER);
    return {static_cast<int>(face->glyph->advance.x >> 6), face->glyph->bitmap_left,
            static_cast<int>(face->glyph->bitmap.width)};
  }
  int kerning(int left, int right) {
    FT_Vector k{0, 0};
    FT_Get_Kerning(face, FT_Get_Char_Index(face, left), FT_Get_Char_Index(face, right),
                   FT_KERNING_DEFAULT, &k);
    return static_cast<int>(k.x >> 6);
  }
  FT_Library library = nullptr;
  FT_Face face = nullptr;
};

int alpha_at(Video_Surface* s, int x, int y) {
  return x < 0 || x >= s->_get_width() ? 0 : pixel(s, x, y)[3];
}

}  // namespace

TEST_F(RendererTest, GlyphPairsStandAtFreeTypesAdvanceAndKerningApart) {
  const int size = 48;
  FreeTypeFace ft(size);
  int kerned_pairs = 0;
  for (const char* pair : {"AV", "Ta", "To", "Wa", "rn", "ve", "fj", "Jn"}) {
    const int first = pair[0], second = pair[1];
    const auto a = ft.metrics(first), b = ft.metrics(second);
    const int kerning = ft.kerning(first, second);
    if (kerning != 0) ++kerned_pairs;
    // Where the second glyph's pen stands, and how far each surface's pen starts from its left
    // edge (ink left of the pen widens the surface to the left).
    const int pen_b = a.advance + kerning;
    const int origin_pair = std::max({0, -a.left, -(pen_b + b.left)});
    const int origin_a = std::max(0, -a.left), origin_b = std::max(0, -b.left);

    Video_Surface* both = render_codes({first, second}, size, std::string("pair ") + pair);
    Video_Surface* alone_a = render_codes({first}, size, std::string("first ") + pair);
    Video_Surface* alone_b = render_codes({second}, size, std::string("second ") + pair);
    ASSERT_TRUE(both && alone_a && alone_b) << pair;
    EXPECT_EQ(both->_get_width(),
              origin_pair + std::max({a.left + a.width, pen_b + b.left + b.width, pen_b + b.advance}))
        << pair;
    ASSERT_EQ(both->_get_height(), alone_a->_get_height());
    // The pair is each glyph drawn alone, moved to its place; where the two overlap the stronger
    // ink stays.
    for (int y = 0; y < both->_get_height(); ++y)
      for (int x = 0; x < both->_get_width(); ++x) {
        const int expected = std::max(alpha_at(alone_a, x - origin_pair + origin_a, y),
                                      alpha_at(alone_b, x - origin_pair - pen_b + origin_b, y));
        ASSERT_EQ(pixel(both, x, y)[3], expected) << pair << " at " << x << "," << y;
      }
  }
  EXPECT_GE(kerned_pairs, 4) << "the font kerns AV, Ta, To and Wa";
}

TEST_F(RendererTest, MeasuringAgreesWithDrawing) {
  FreeTypeFace ft(24);
  for (std::vector<int> codes : std::vector<std::vector<int>>{
           {'T', 'a', 'r', 'n', 'v', 'a', 'l', 'e'}, {'j', 'o'}, {}, {'a', '\\', 'n', 'b', 'c'}}) {
    Text_Extent extent;
    ASSERT_TRUE(renderer.measure_text("Sans", &codes, 24, &extent)) << renderer.get_error();
    Video_Surface* s = render_codes(codes, 24, "measured");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(extent.width, s->_get_width());
    EXPECT_EQ(extent.height, s->_get_height());
    EXPECT_EQ(extent.ascent, 23);
    EXPECT_EQ(extent.descent, 6);
    EXPECT_EQ(extent.line_height, 28);
    ASSERT_EQ(extent.carets.size(), codes.size() + 1);
  }
  // The carets of "Ta": T has ink left of its pen, so the pen starts one column in.
  std::vector<int> ta = {'T', 'a'};
  Text_Extent extent;
  ASSERT_TRUE(renderer.measure_text("Sans", &ta, 24, &extent));
  const int origin = std::max(0, -ft.metrics('T').left);
  const int second = origin + ft.metrics('T').advance + ft.kerning('T', 'a');
  EXPECT_EQ(extent.carets, (std::vector<int>{origin, second, second + ft.metrics('a').advance}));

  EXPECT_FALSE(renderer.measure_text("Serif", &ta, 24, &extent));
  EXPECT_EQ(renderer.get_error(), "No such alias:\"Serif\"");
}

TEST_F(RendererTest, DrawingIntoAGivenSurfaceShowsTheTextFromAColumnOn) {
  std::vector<int> codes = {'T', 'a', 'r', 'n', 'v', 'a', 'l', 'e'};
  Video_Surface* whole = render_codes(codes, 24, "whole");
  ASSERT_NE(whole, nullptr);
  const int from = 17, width = 40;
  ASSERT_TRUE(video->_create_surface(width, whole->_get_height(), "part", "texts", true));
  Video_Surface* part = video->_get_surface("part", "texts");
  auto* bytes = static_cast<unsigned char*>(part->_get_surface_data());
  std::fill(bytes, bytes + part->_get_pitch() * part->_get_height(), 0xAB);  // what was there before
  const VideoColor white = make_color(255, 255, 255, 255);
  ASSERT_TRUE(renderer.draw_text("MemVideo", "Sans", &codes, white, 24, "part", "texts", from))
      << renderer.get_error();
  for (int y = 0; y < part->_get_height(); ++y)
    for (int x = 0; x < width; ++x)
      ASSERT_EQ(pixel(part, x, y), pixel(whole, x + from, y)) << x << "," << y;
  EXPECT_EQ(static_cast<MemorySurface*>(part)->updates, 1) << "the pixels are uploaded";

  EXPECT_FALSE(renderer.draw_text("MemVideo", "Serif", &codes, white, 24, "part", "texts", 0));
  EXPECT_EQ(renderer.get_error(), "No such alias:\"Serif\"");
  EXPECT_FALSE(renderer.draw_text("MemVideo", "Sans", &codes, white, 24, "nothing", "texts", 0));
  EXPECT_EQ(renderer.get_error().rfind("Can't get surface: ", 0), 0u) << renderer.get_error();
}
