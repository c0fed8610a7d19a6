#include "glyph_cache.h"

#include <cstring>

namespace mordent {

namespace {

// Unpacks one row of a 1, 2 or 4 bit bitmap (embedded strikes) into 0..255 coverage.
void unpack_row(const unsigned char* src, int width, int bits, unsigned char* out) {
  const int per_byte = 8 / bits;
  const unsigned mask = (1u << bits) - 1;
  for (int x = 0; x < width; ++x) {
    const unsigned byte = src[x / per_byte];
    const int shift = 8 - bits * (x % per_byte + 1);
    out[x] = static_cast<unsigned char>(((byte >> shift) & mask) * 255 / mask);
  }
}

}  // namespace

Glyph GlyphCache::load(FT_Face face, FT_UInt index) {
  Glyph glyph;
  // What FT_Load_Char does, keeping the index that kerning is looked up by.
  if (FT_Load_Glyph(face, index, FT_LOAD_RENDER) != 0) return glyph;
  const FT_GlyphSlot slot = face->glyph;
  glyph.loaded = true;
  glyph.index = index;
  glyph.face = face;
  glyph.advance = slot->advance.x;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;

  const FT_Bitmap& bitmap = slot->bitmap;
  int bits = 0;
  switch (bitmap.pixel_mode) {
    case FT_PIXEL_MODE_GRAY: bits = 8; break;
    case FT_PIXEL_MODE_GRAY4: bits = 4; break;
    case FT_PIXEL_MODE_GRAY2: bits = 2; break;
    case FT_PIXEL_MODE_MONO: bits = 1; break;
    default: return glyph;  // colour or sub-pixel bitmaps: advance only, nothing drawn
  }
  if (bitmap.buffer == nullptr || bitmap.rows == 0 || bitmap.width == 0) return glyph;
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.width = static_cast<int>(bitmap.width);
  glyph.coverage.resize(static_cast<std::size_t>(glyph.rows) * glyph.width);
  // A negative pitch means the rows are stored bottom-up; start from the top row either way.
  const long pitch = bitmap.pitch;
  const unsigned char* top_row =
      pitch >= 0 ? bitmap.buffer : bitmap.buffer + (-pitch) * (static_cast<long>(bitmap.rows) - 1);
  for (int r = 0; r < glyph.rows; ++r) {
    const unsigned char* src = top_row + pitch * r;
    unsigned char* out = glyph.coverage.data() + static_cast<std::size_t>(r) * glyph.width;
    if (bits == 8) {
      std::memcpy(out, src, static_cast<std::size_t>(glyph.width));
    } else {
      unpack_row(src, glyph.width, bits, out);
    }
  }
  return glyph;
}

namespace {
std::uint64_t glyph_key(int pixel_size, int code) {
  return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(pixel_size)) << 32) |
         static_cast<std::uint32_t>(code);
}
}  // namespace

const Glyph& GlyphCache::keep(FT_Face face, std::uint64_t key, Glyph glyph) {
  Glyph& kept = faces_[face].emplace(key, std::move(glyph)).first->second;
  bitmap_bytes_ += kept.coverage.size() + sizeof(Glyph);
  return kept;
}

const Glyph& GlyphCache::get(FT_Face face, int pixel_size, int code) {
  const std::uint64_t key = glyph_key(pixel_size, code);
  auto& glyphs = faces_[face];
  auto found = glyphs.find(key);
  if (found != glyphs.end()) return found->second;
  return keep(face, key, load(face, FT_Get_Char_Index(face, static_cast<FT_ULong>(code))));
}

const Glyph& GlyphCache::get(const std::vector<FT_Face>& faces, int pixel_size, int code) {
  const std::uint64_t key = glyph_key(pixel_size, code);
  auto& glyphs = faces_[faces.front()];
  auto found = glyphs.find(key);
  if (found != glyphs.end()) return found->second;
  const int replacement = 0xFFFD;
  for (int wanted : {code, replacement}) {
    for (FT_Face face : faces) {
      const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(wanted));
      if (index != 0) return keep(faces.front(), key, load(face, index));
    }
  }
  return keep(faces.front(), key, load(faces.front(), 0));
}

void GlyphCache::trim() {
  if (bitmap_bytes_ <= budget_bytes) return;
  faces_.clear();
  bitmap_bytes_ = 0;
}

}  // namespace mordent
