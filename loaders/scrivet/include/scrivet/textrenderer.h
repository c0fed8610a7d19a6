#pragma once
// Text renderers under short names ("ttf"), each from a plug-in exporting
// extern "C" Text_Renderer* _get_textrenderer(). Failures: false/null + textrenderer_error().

#include <string>
#include <vector>

#include "brannow/brannow.h"

struct VideoColor;  // olvane/video.h

// What render_text makes of a one-font text, found without drawing it.
struct Text_Extent {
  int width = 0, height = 0;  // the surface's size in pixels
  // The font's lines at that size in pixels: baseline to top, baseline to bottom, baseline to
  // baseline. Every line of a text is ascent + descent high, whatever it holds.
  int ascent = 0, descent = 0, line_height = 0;
  // The surface column of the pen before each code point, and after the last one.
  std::vector<int> carets;
};

class Text_Renderer {
public:
  Text_Renderer() = default;
  Text_Renderer(const Text_Renderer&) = default;
  Text_Renderer& operator=(const Text_Renderer&) = default;
  virtual ~Text_Renderer();

  virtual bool init() = 0;
  virtual bool load_font(std::string alias, std::string file_name, Brannow::FileManager* files) = 0;
  // Renders code points into the surface (surface_name, surface_group) of the video driver;
  // stores the first line's descent when descent is not null.
  virtual bool render_text(std::string video_name, std::string alias, std::vector<int>* codes,
                           VideoColor color, int pixel_size, std::string surface_name,
                           std::string surface_group, bool replace, int* descent) = 0;
  // The same for UTF-8 text.
  virtual bool render_text(std::string video_name, std::string alias, std::string text,
                           VideoColor color, int pixel_size, std::string surface_name,
                           std::string surface_group, bool replace) = 0;
  virtual bool render_text(std::string video_name, std::string alias, std::string* text,
                           VideoColor color, int pixel_size, std::string surface_name,
                           std::string surface_group, bool replace) = 0;
  // render_text, then a sprite of the same name and group on that surface.
  virtual bool render_sprite(std::string video_name, std::string alias, std::vector<int>* codes,
                             VideoColor color, int pixel_size, std::string name,
                             std::string group, bool replace) = 0;
  virtual std::string get_error() = 0;
  virtual std::string get_version() = 0;
  // The module the registry unloads when the renderer is removed.
  virtual std::string get_module_name() = 0;
  // Measures code points as render_text would draw them; false (the base's answer) where the
  // renderer cannot tell.
  virtual bool measure_text(std::string alias, std::vector<int>* codes, int pixel_size,
                            Text_Extent* extent);
  // Draws code points as render_text would into the surface (surface_name, surface_group) that
  // the caller made, the text's column `first_column` landing in the surface's column 0; what
  // falls outside the surface is cut. false (the base's answer) where the renderer cannot.
  virtual bool draw_text(std::string video_name, std::string alias, std::vector<int>* codes,
                         const VideoColor& color, int pixel_size, std::string surface_name,
                         std::string surface_group, int first_column);
  // Characters the font `alias` lacks are drawn with the font `fallback` (itself with its own
  // fallback), and one the fonts all lack as one replacement glyph. false (the base's answer)
  // where the renderer cannot, or when either alias is unknown or the chain would loop.
  virtual bool set_fallback_font(std::string alias, std::string fallback);
};

extern "C" {
typedef Text_Renderer* (*Get_Textrenderer_Func)();
}

// Plain (undecorated) names; strings by value.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
extern "C" {

// Loads the module, creates the renderer and starts it with init(); false when any step fails.
bool textrenderer_create(std::string renderer_name, std::string module_name, bool replace);
// Owned by the registry; null when the name is not registered (the error text stays).
Text_Renderer* textrenderer_get(std::string renderer_name);
// Destroys the renderer and unloads its module; always true.
bool textrenderer_remove(std::string renderer_name);
std::string textrenderer_error();
std::string textrenderer_version();
}  // extern "C"
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

