// A font with a fallback: characters it lacks come from the fallback font, and a character
// neither has draws one replacement glyph.
#include <gtest/gtest.h>

#include "renderer_fixture.h"

namespace {

const char* const kSymbola = "/usr/share/fonts/truetype/ancient-scripts/Symbola_hint.ttf";

class FallbackTest : public RendererTest {
protected:
  void SetUp() override {
    RendererTest::SetUp();
    ASSERT_TRUE(renderer.load_font("Symbols", kSymbola, &files))
        << renderer.get_error() << " (tools/install-deps.sh installs fonts-symbola)";
    ASSERT_TRUE(renderer.set_fallback_font("Sans", "Symbols")) << renderer.get_error();
  }
};

// Runs of columns with ink, and whether any ink touches the top or bottom row (cut off).
struct Ink {
  int runs = 0;
  bool touches_edge = false;
};

Ink ink_of(Video_Surface* surface) {
  Ink ink;
  bool in_run = false;
  for (int x = 0; x < surface->_get_width(); ++x) {
    bool any = false;
    for (int y = 0; y < surface->_get_height(); ++y) {
      if (pixel(surface, x, y)[3] == 0) continue;
      any = true;
      ink.touches_edge = ink.touches_edge || y == 0 || y == surface->_get_height() - 1;
    }
    ink.runs += any && !in_run;
    in_run = any;
  }
  return ink;
}

TEST_F(FallbackTest, AccentEuroAndEmojiDrawThreeWholeGlyphs) {
  Video_Surface* text = render("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", 32);  // é€😀
  ASSERT_NE(text, nullptr) << renderer.get_error();
  const Ink ink = ink_of(text);
  EXPECT_EQ(ink.runs, 3);
  EXPECT_FALSE(ink.touches_edge) << "a glyph is cut off by the text's lines";
}

TEST_F(FallbackTest, ACharacterNoFontHasIsOneReplacementGlyph) {
  Video_Surface* missing = render("a\xF4\x8F\xBF\xBD" "b", 24, make_color(255, 255, 255, 255), "m");  // U+10FFFD
  Video_Surface* replacement = render("a\xEF\xBF\xBD" "b", 24, make_color(255, 255, 255, 255), "r");
  ASSERT_TRUE(missing && replacement);
  EXPECT_EQ(ink_of(missing).runs, 3);
  EXPECT_EQ(all_bytes(missing), all_bytes(replacement));
}

TEST_F(FallbackTest, ChainsEndAndUnknownFontsAreRefused) {
  EXPECT_FALSE(renderer.set_fallback_font("Symbols", "Sans"));
  EXPECT_EQ(renderer.get_error(), "Font \"Sans\" falls back to \"Symbols\" already");
  EXPECT_FALSE(renderer.set_fallback_font("Sans", "Sans"));
  EXPECT_FALSE(renderer.set_fallback_font("Sans", "Nope"));
  EXPECT_EQ(renderer.get_error(), "No such alias:\"Nope\"");
  // The refusals left the chain as it was.
  Video_Surface* text = render("\xF0\x9F\x98\x80", 32);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(ink_of(text).runs, 1);
}

}  // namespace
