#include "ttf_renderer.h"

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <exception>

#include "text_layout.h"
#include "tarnvale/quoted.h"
#include "utf8_decoder.h"

namespace {

// One FreeType library for the process, made by the first init.
FT_Library freetype = nullptr;

using tarnvale::quoted;

int clamp_to_int(long long value) {
  return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

}  // namespace

TTF_Renderer::TTF_Renderer() = default;

// The faces are released with the renderer; their buffers go with the storage right after.
TTF_Renderer::~TTF_Renderer() {
  for (auto& entry : faces_) FT_Done_Face(entry.second);
}

bool TTF_Renderer::init() {
  if (freetype != nullptr) return true;
  if (FT_Init_FreeType(&freetype) != 0) {
    freetype = nullptr;
    error_ = "Error while initializing freetype library";
    return false;
  }
  return true;
}

bool TTF_Renderer::load_font(std::string alias, std::string file_name,
                             Brannow::FileManager* files) {
  if (files == nullptr) {
    error_ = "No file manager to read " + quoted(file_name);
    return false;
  }
  try {
    std::shared_ptr<Brannow::File> file;
    try {
      file = files->open(file_name, Brannow::READ, Brannow::NO_CACHE);
    } catch (const BrannowError& error) {
      // The file manager's reason names the file ("x.ttf: No such file or directory").
      error_ = "Cant open file, or file is broken: " + quoted(file_name) + ": " + error.what();
      return false;
    }
    if (!file) {
      error_ = "Cant open file, or file is broken: " + quoted(file_name);
      return false;
    }
    // The face reads the file's own bytes, kept while it lives: no copy of a font (Symbola's 3 MB)
    // at every start.
    FT_Face face = nullptr;
    const FT_Error result =
        FT_New_Memory_Face(freetype, reinterpret_cast<const FT_Byte*>(file->get_content()),
                           static_cast<FT_Long>(file->get_size()), 0, &face);
    if (result == FT_Err_Unknown_File_Format) {
      error_ = "Unknown file format: " + quoted(file_name);
      return false;
    }
    if (result != 0) {
      error_ = "Cant open file, or file is broken: " + quoted(file_name);
      return false;
    }
    FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    // An alias keeps its first font; the second one is released at once.
    if (!faces_.add(alias, face)) {
      FT_Done_Face(face);
      return true;
    }
    font_data_.add(alias, std::move(file));
    return true;
  } catch (const std::exception&) {
    error_ = "Cant open file, or file is broken: " + quoted(file_name);
    return false;
  }
}

bool TTF_Renderer::set_face_size(FT_Face face, int pixel_size) {
  auto known = face_sizes_.find(face);
  if (known != face_sizes_.end() && known->second == pixel_size) return true;
  if (pixel_size < min_pixel_size || pixel_size > max_pixel_size ||
      FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixel_size)) != 0) {
    face_sizes_.erase(face);
    error_ = "Error setting face size";
    return false;
  }
  face_sizes_[face] = pixel_size;
  return true;
}

mordent::FontLines TTF_Renderer::font_lines(FT_Face face) {
  const FT_Size_Metrics& size = face->size->metrics;
  mordent::FontLines lines;
  lines.ascent = static_cast<int>(std::max<FT_Pos>(0, (size.ascender + 63) >> 6));
  lines.descent = static_cast<int>(std::max<FT_Pos>(0, (-size.descender + 63) >> 6));
  lines.line_height = static_cast<int>(std::max<FT_Pos>(1, (size.height + 32) >> 6));
  return lines;
}

bool TTF_Renderer::lay_out(const std::string& alias, const std::vector<int>* codes,
                           int pixel_size, std::vector<mordent::TextItem>* items,
                           mordent::TextLayout* layout) {
  if (!faces_.exists(alias)) {
    error_ = "No such alias:" + quoted(alias);
    return false;
  }
  const FT_Face face = faces_.get(alias);
  if (!set_face_size(face, pixel_size)) return false;
  // The font and those it falls back to, in order (set_fallback_font keeps the chain finite).
  std::vector<FT_Face> faces{face};
  for (auto next = fallbacks_.find(alias); next != fallbacks_.end();
       next = fallbacks_.find(next->second)) {
    faces.push_back(faces_.get(next->second));
    if (!set_face_size(faces.back(), pixel_size)) return false;
  }

  glyphs_.trim();
  static const std::vector<int> no_codes;
  // A single font keeps to 16-bit codes; fonts with a fallback take every code point.
  auto glyph = [&](int code) -> const mordent::Glyph& {
    return faces.size() == 1 ? glyphs_.get(face, pixel_size, code & 0xFFFF)
                             : glyphs_.get(faces, pixel_size, code);
  };
  *items = mordent::split_text(
      codes != nullptr ? *codes : no_codes, glyph,
      [&](const mordent::Glyph& left, const mordent::Glyph& right) -> long {
        FT_Vector kerning{0, 0};
        if (left.face != nullptr && left.face == right.face && FT_HAS_KERNING(left.face))
          FT_Get_Kerning(left.face, left.index, right.index, FT_KERNING_DEFAULT, &kerning);
        return kerning.x;
      });
  *layout = mordent::measure_text(*items, font_lines(face));
  return true;
}

bool TTF_Renderer::measure_text(std::string alias, std::vector<int>* codes, int pixel_size,
                                Text_Extent* extent) {
  std::vector<mordent::TextItem> items;
  mordent::TextLayout layout;
  if (!lay_out(alias, codes, pixel_size, &items, &layout)) return false;
  if (extent == nullptr) return true;
  extent->width = clamp_to_int(layout.width);
  extent->height = clamp_to_int(layout.height);
  extent->ascent = layout.font.ascent;
  extent->descent = layout.font.descent;
  extent->line_height = layout.font.line_height;
  extent->carets = mordent::caret_columns(items, layout);
  return true;
}

bool TTF_Renderer::render_text(std::string video_name, std::string alias, std::vector<int>* codes,
                               VideoColor color, int pixel_size, std::string surface_name,
                               std::string surface_group, bool replace, int* descent) {
  std::vector<mordent::TextItem> items;
  mordent::TextLayout layout;
  if (!lay_out(alias, codes, pixel_size, &items, &layout)) return false;
  const int width = clamp_to_int(layout.width);
  const int height = clamp_to_int(layout.height);

  Video_Interface* video = video_get_interface(video_name);
  if (video == nullptr) {
    error_ = "Can't get video driver: " + video_error();
    return false;
  }
  bool created = video->_create_surface(width, height, surface_name, surface_group, replace);
  // A driver that refuses surfaces without rows still gets an empty text: one clear row.
  if (!created && height == 0)
    created = video->_create_surface(width, 1, surface_name, surface_group, replace);
  if (!created) {
    error_ = "Cant create surface: w:" + std::to_string(width) + "h:" + std::to_string(height) +
             ":" + video->_get_error();
    return false;
  }
  // The surface was made just now, and surfaces start zeroed: nothing to clear.
  if (!paint(video, surface_name, surface_group, items, layout, color, 0, false)) return false;
  // Row `descent` holds the last line's baseline; a text without characters has none.
  if (descent != nullptr) *descent = layout.lines > 0 ? layout.font.descent : 0;
  return true;
}

bool TTF_Renderer::paint(Video_Interface* video, const std::string& surface_name,
                         const std::string& surface_group,
                         const std::vector<mordent::TextItem>& items,
                         const mordent::TextLayout& layout, const VideoColor& color,
                         long long first_column, bool clear) {
  Video_Surface* surface = video->_get_surface(surface_name, surface_group);
  if (surface == nullptr) {
    error_ = "Can't get surface: " + video->_get_error();
    return false;
  }
  mordent::PixelTarget target;
  target.data = static_cast<unsigned char*>(surface->_get_surface_data());
  target.width = surface->_get_width();
  target.height = surface->_get_height();
  target.pitch = surface->_get_pitch();
  target.first_column = first_column;
  if (clear && target.data != nullptr && target.height > 0 && target.pitch > 0)
    std::memset(target.data, 0, static_cast<std::size_t>(target.pitch) * target.height);
  mordent::draw_text(layout, items, target, color.bytes);
  surface->_update();
  return true;
}

bool TTF_Renderer::draw_text(std::string video_name, std::string alias, std::vector<int>* codes,
                             const VideoColor& color, int pixel_size, std::string surface_name,
                             std::string surface_group, int first_column) {
  std::vector<mordent::TextItem> items;
  mordent::TextLayout layout;
  if (!lay_out(alias, codes, pixel_size, &items, &layout)) return false;
  Video_Interface* video = video_get_interface(video_name);
  if (video == nullptr) {
    error_ = "Can't get video driver: " + video_error();
    return false;
  }
  return paint(video, surface_name, surface_group, items, layout, color, first_column, true);
}

bool TTF_Renderer::render_text(std::string video_name, std::string alias, std::string text,
                               VideoColor color, int pixel_size, std::string surface_name,
                               std::string surface_group, bool replace) {
  std::vector<int> codes = mordent::decode_utf8(text.data(), text.size());
  return render_text(video_name, alias, &codes, color, pixel_size, surface_name, surface_group,
                     replace, nullptr);
}

bool TTF_Renderer::render_text(std::string video_name, std::string alias, std::string* text,
                               VideoColor color, int pixel_size, std::string surface_name,
                               std::string surface_group, bool replace) {
  return render_text(video_name, alias, text != nullptr ? *text : std::string(), color,
                     pixel_size, surface_name, surface_group, replace);
}

bool TTF_Renderer::render_sprite(std::string video_name, std::string alias,
                                 std::vector<int>* codes, VideoColor color, int pixel_size,
                                 std::string name, std::string group, bool replace) {
  int descent = 0;
  if (!render_text(video_name, alias, codes, color, pixel_size, name, group, replace, &descent))
    return false;
  Video_Interface* video = video_get_interface(video_name);
  if (video == nullptr) {
    error_ = "Can't get video driver: " + video_error();
    return false;
  }
  if (!video->_create_sprite(name, group, name, group, true)) {
    error_ = "Can't create sprite: " + video->_get_error();
    return false;
  }
  Video_Sprite* sprite = video->_get_sprite(name, group);
  if (sprite == nullptr) {
    error_ = "Can't get sprite: " + video->_get_error();
    return false;
  }
  sprite->_set_base_point(0, descent);
  return true;
}

bool TTF_Renderer::set_fallback_font(std::string alias, std::string fallback) {
  for (const std::string& name : {alias, fallback}) {
    if (!faces_.exists(name)) {
      error_ = "No such alias:" + quoted(name);
      return false;
    }
  }
  for (std::string at = fallback;;) {
    if (at == alias) {
      error_ = "Font " + quoted(fallback) + " falls back to " + quoted(alias) + " already";
      return false;
    }
    auto next = fallbacks_.find(at);
    if (next == fallbacks_.end()) break;
    at = next->second;
  }
  fallbacks_[alias] = fallback;
  // Glyphs kept for the font came from it alone.
  drop_glyph_cache();
  return true;
}

std::string TTF_Renderer::get_error() { return error_; }

std::string TTF_Renderer::get_version() { return "1.0"; }

// The registry unloads the module by the name it reported, so answer the name of the file this
// code was loaded from ("libmordent" for libmordent.so), which is the name it was loaded under.
std::string TTF_Renderer::get_module_name() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&freetype), &info) == 0 || info.dli_fname == nullptr)
    return "libmordent";
  std::string name = info.dli_fname;
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  const size_t suffix = name.find(".so");
  if (suffix != std::string::npos) name.erase(suffix);
  return name;
}
