#pragma once
// Pictures drawn from signed distance functions and supersampled for smooth edges.

#include <cstdint>
#include <string>
#include <vector>

namespace picgen {

struct Color {
  float r = 0, g = 0, b = 0, a = 0;  // 0..1, straight alpha
};

// Parses "0xRRGGBBAA" or "RRGGBBAA"; false on anything else.
bool parse_color(const std::string& text, Color& out);

enum class Shape { fill, rect, roundrect, circle, diamond, triangle, hexagon, star, cross, ring, frame };

// Accepts the shape names of the command line ("plus" is another name for cross).
bool parse_shape(const std::string& name, Shape& out);

struct Picture {
  int width = 0, height = 0;
  Shape shape = Shape::rect;
  Color fill;
  bool has_gradient = false;
  Color gradient;              // fill runs from `fill` at the top to this at the bottom
  float outline_width = 0;     // pixels inside the edge drawn in outline_color
  Color outline_color;
  bool shine = false;          // glossy highlight over the upper part
  bool has_background = false;
  Color background, background_bottom;  // vertical gradient over the whole canvas
  float margin = 0;            // gap between the canvas edge and the shape's box
  float thickness = -1;        // ring, frame and cross arms; negative = a third of the size
  float radius = -1;           // roundrect corners; negative = a fifth of the size
  int points = 5;              // star points
  float rotate_degrees = 0;    // clockwise, around the centre
};

// RGBA, 8 bits each, rows top first; empty when the size is not positive.
std::vector<std::uint8_t> render(const Picture& picture);

}  // namespace picgen
