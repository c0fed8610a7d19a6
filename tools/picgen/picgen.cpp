// picgen: renders one PNG picture per call from a command line (see usage below).

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shapes.h"

namespace {

// Rows without a filter (type None): the game decodes its pictures at every start, and libpng
// then undoes no filter byte by byte; these smooth pictures compress as small unfiltered.
bool write_png(const std::string& out, int width, int height, const std::uint8_t* pixels) {
  std::FILE* file = std::fopen(out.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "picgen: cannot write %s: %s\n", out.c_str(), std::strerror(errno));
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  volatile bool written = false;
  // libpng's default error handler prints the reason and jumps back here.
  if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row)
      png_write_row(png, pixels + static_cast<std::size_t>(row) * width * 4);
    png_write_end(png, nullptr);
    written = true;
  }
  png_destroy_write_struct(&png, &info);
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) std::fprintf(stderr, "picgen: cannot write %s\n", out.c_str());
  return written && closed;
}

const char* const usage =
    "usage: picgen OUT.png WIDTH HEIGHT SHAPE FILL [options]\n"
    "  SHAPE: fill rect roundrect circle diamond triangle hexagon star cross plus ring frame\n"
    "  colours: 0xRRGGBBAA\n"
    "  --outline COLOR WIDTH     edge band of WIDTH pixels inside the shape\n"
    "  --gradient COLOR2         fill fades from FILL at the top to COLOR2 at the bottom\n"
    "  --shine                   faint gloss along the top quarter\n"
    "  --background TOP BOTTOM   vertical gradient behind the shape (same colour twice = plain)\n"
    "  --margin PX               gap between the canvas edge and the shape\n"
    "  --thickness PX            ring and frame width, cross arm width\n"
    "  --radius PX               roundrect corner radius\n"
    "  --points N                star points (default 5)\n"
    "  --rotate DEG              clockwise rotation around the centre\n";

int fail(const std::string& message) {
  std::fprintf(stderr, "picgen: %s\n%s", message.c_str(), usage);
  return 2;
}

bool parse_number(const std::string& text, float& out) {
  char* end = nullptr;
  errno = 0;
  out = std::strtof(text.c_str(), &end);
  return !text.empty() && *end == '\0' && errno == 0;
}

bool parse_size(const std::string& text, int& out) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || v < 1 || v > 8192) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() < 5) return fail("missing arguments");
  picgen::Picture pic;
  const std::string out = args[0];
  if (!parse_size(args[1], pic.width) || !parse_size(args[2], pic.height))
    return fail("width and height must be whole numbers from 1 to 8192");
  if (!picgen::parse_shape(args[3], pic.shape)) return fail("unknown shape " + args[3]);
  if (!picgen::parse_color(args[4], pic.fill)) return fail("bad colour " + args[4]);

  for (std::size_t i = 5; i < args.size(); ++i) {
    const std::string& opt = args[i];
    auto needs = [&](std::size_t n) { return i + n < args.size(); };
    auto colour = [&](picgen::Color& c) { return needs(1) && picgen::parse_color(args[++i], c); };
    auto number = [&](float& v) { return needs(1) && parse_number(args[++i], v); };
    bool ok = true;
    if (opt == "--outline") ok = colour(pic.outline_color) && number(pic.outline_width);
    else if (opt == "--gradient") ok = pic.has_gradient = colour(pic.gradient);
    else if (opt == "--shine") pic.shine = true;
    else if (opt == "--background") ok = pic.has_background = colour(pic.background) && colour(pic.background_bottom);
    else if (opt == "--margin") ok = number(pic.margin);
    else if (opt == "--thickness") ok = number(pic.thickness);
    else if (opt == "--radius") ok = number(pic.radius);
    else if (opt == "--rotate") ok = number(pic.rotate_degrees);
    else if (opt == "--points") {
      float points = 0;
      ok = number(points) && points >= 2 && points <= 64;
      pic.points = static_cast<int>(points);
    } else return fail("unknown option " + opt);
    if (!ok) return fail("bad or missing value for " + opt);
  }

  const std::vector<std::uint8_t> pixels = picgen::render(pic);
  return write_png(out, pic.width, pic.height, pixels.data()) ? 0 : 1;
}
