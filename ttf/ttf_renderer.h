#pragma once
// The TrueType text renderer: fonts read through the file manager, text rasterised by FreeType
// into surfaces of a video driver.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "glyph_cache.h"
#include "text_layout.h"
#include "brannow/brannow.h"
#include "olvane/video.h"
#include "scrivet/textrenderer.h"
#include "tarnvale/storage.h"

class TTF_Renderer : public Text_Renderer {
public:
  TTF_Renderer();
  TTF_Renderer(const TTF_Renderer&) = delete;
  TTF_Renderer& operator=(const TTF_Renderer&) = delete;
  ~TTF_Renderer() override;

  bool init() override;
  bool load_font(std::string alias, std::string file_name, Brannow::FileManager* files) override;
  bool render_text(std::string video_name, std::string alias, std::vector<int>* codes,
                   VideoColor color, int pixel_size, std::string surface_name,
                   std::string surface_group, bool replace, int* descent) override;
  bool render_text(std::string video_name, std::string alias, std::string text, VideoColor color,
                   int pixel_size, std::string surface_name, std::string surface_group,
                   bool replace) override;
  bool render_text(std::string video_name, std::string alias, std::string* text,
                   VideoColor color, int pixel_size, std::string surface_name,
                   std::string surface_group, bool replace) override;
  bool render_sprite(std::string video_name, std::string alias, std::vector<int>* codes,
                     VideoColor color, int pixel_size, std::string name, std::string group,
                     bool replace) override;
  std::string get_error() override;
  std::string get_version() override;
  std::string get_module_name() override;
  bool measure_text(std::string alias, std::vector<int>* codes, int pixel_size,
                    Text_Extent* extent) override;
  bool draw_text(std::string video_name, std::string alias, std::vector<int>* codes,
                 const VideoColor& color, int pixel_size, std::string surface_name,
                 std::string surface_group, int first_column) override;
  bool set_fallback_font(std::string alias, std::string fallback) override;

  // Sizes FreeType is asked for; anything else fails with "Error setting face size".
  static constexpr int min_pixel_size = 1;
  static constexpr int max_pixel_size = 2048;

  // Empties the glyph cache, so that the next texts are rasterised afresh (for measurements).
  void drop_glyph_cache() { glyphs_ = mordent::GlyphCache(); }

private:
  bool set_face_size(FT_Face face, int pixel_size);
  static mordent::FontLines font_lines(FT_Face face);
  // Glyphs, kerning and layout of the codes in the alias's face at that size; false with the
  // error text set.
  bool lay_out(const std::string& alias, const std::vector<int>* codes, int pixel_size,
               std::vector<mordent::TextItem>* items, mordent::TextLayout* layout);
  // Draws the laid out text into the surface from its column `first_column` on and uploads it;
  // `clear` empties the surface first. false with the error text set.
  bool paint(Video_Interface* video, const std::string& surface_name,
             const std::string& surface_group, const std::vector<mordent::TextItem>& items,
             const mordent::TextLayout& layout, const VideoColor& color, long long first_column,
             bool clear);

  std::string error_;
  Storage<std::string, FT_Face> faces_;
  // The faces read from these files' bytes for as long as they live.
  Storage<std::string, std::shared_ptr<Brannow::File>> font_data_;
  // The pixel size each face was last set to, so that unchanged sizes are not set again.
  std::map<FT_Face, int> face_sizes_;
  // alias -> the alias of the font for the characters it lacks.
  std::map<std::string, std::string> fallbacks_;
  mordent::GlyphCache glyphs_;
};
