#pragma once
// Rendered glyphs kept per face, pixel size and 16-bit code, so that a text drawn again (or
// measured and then drawn) costs FreeType one glyph load per distinct character at most.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace mordent {

struct Glyph {
  bool loaded = false;  // false: FreeType could not load it, the character is skipped
  unsigned index = 0;   // the face's glyph index, for kerning
  FT_Face face = nullptr;  // the face it came from: kerning pairs only glyphs of one face
  long advance = 0;     // 26.6, as FreeType gives it
  // The rendered bitmap: coverage 0..255, `width` bytes per row, top row first; its left column
  // lies `left` pixels right of the pen, its top row `top` pixels above the baseline.
  int left = 0;
  int top = 0;
  int rows = 0;
  int width = 0;
  std::vector<unsigned char> coverage;
};

class GlyphCache {
public:
  // The glyph of `code` in `face`, whose pixel size must already be `pixel_size`. The reference
  // stays valid until the next call of trim().
  const Glyph& get(FT_Face face, int pixel_size, int code);
  // The glyph of `code` from the first of `faces` that has it; when none has it, the first
  // face's replacement character U+FFFD from the first that has that, else the first face's
  // missing-glyph box. Every face must be at `pixel_size`; kept under the first face.
  const Glyph& get(const std::vector<FT_Face>& faces, int pixel_size, int code);

  // Drops everything once the cached bitmaps exceed the budget; call between texts only.
  void trim();

  std::size_t bitmap_bytes() const { return bitmap_bytes_; }

  static constexpr std::size_t budget_bytes = 32u << 20;

private:
  static Glyph load(FT_Face face, FT_UInt index);
  const Glyph& keep(FT_Face face, std::uint64_t key, Glyph glyph);

  std::unordered_map<FT_Face, std::unordered_map<std::uint64_t, Glyph>> faces_;
  std::size_t bitmap_bytes_ = 0;
};

}  // namespace mordent
