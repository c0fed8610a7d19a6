#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace picgen {
namespace {

constexpr float pi = 3.14159265358979f;
constexpr int samples_per_axis = 4;

struct Vec {
  float x, y;
};

Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
float dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y; }
float length(Vec a) { return std::sqrt(dot(a, a)); }

// Signed distance to a closed polygon, negative inside (even-odd rule).
float polygon_distance(const std::vector<Vec>& poly, Vec p) {
  float best = 1e30f;
  bool inside = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Vec a = poly[j], b = poly[i];
    const Vec edge = b - a, to_p = p - a;
    const float t = std::clamp(dot(to_p, edge) / dot(edge, edge), 0.0f, 1.0f);
    best = std::min(best, length(Vec{to_p.x - edge.x * t, to_p.y - edge.y * t}));
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) * edge.x / edge.y) inside = !inside;
  }
  return inside ? -best : best;
}

float box_distance(Vec p, float hx, float hy, float corner) {
  const float qx = std::fabs(p.x) - hx + corner, qy = std::fabs(p.y) - hy + corner;
  const float outside = length(Vec{std::max(qx, 0.0f), std::max(qy, 0.0f)});
  return outside + std::min(std::max(qx, qy), 0.0f) - corner;
}

// Close to the true distance for the moderate ellipses pictures use.
float ellipse_distance(Vec p, float hx, float hy) {
  if (hx <= 0 || hy <= 0) return 1e30f;
  return (length(Vec{p.x / hx, p.y / hy}) - 1.0f) * std::min(hx, hy);
}

// Unit-space outline (y down) of the polygon shapes, later stretched over the shape's box.
std::vector<Vec> unit_polygon(Shape shape, int points, float arm) {
  std::vector<Vec> poly;
  auto around = [&](int corners, float start, auto radius_of) {
    for (int i = 0; i < corners; ++i) {
      const float angle = start + 2 * pi * i / corners;
      const float r = radius_of(i);
      poly.push_back({r * std::cos(angle), r * std::sin(angle)});
    }
  };
  switch (shape) {
    case Shape::diamond: around(4, -pi / 2, [](int) { return 1.0f; }); break;
    case Shape::triangle: poly = {{0, -1}, {1, 1}, {-1, 1}}; break;
    case Shape::hexagon: around(6, 0, [](int) { return 1.0f; }); break;
    case Shape::star: around(2 * points, -pi / 2, [](int i) { return i % 2 ? 0.45f : 1.0f; }); break;
    case Shape::cross:
      poly = {{-arm, -1}, {arm, -1}, {arm, -arm}, {1, -arm}, {1, arm}, {arm, arm},
              {arm, 1}, {-arm, 1}, {-arm, arm}, {-1, arm}, {-1, -arm}, {-arm, -arm}};
      break;
    default: break;
  }
  // Stretch to fill [-1, 1] on both axes so every shape uses its whole box.
  float min_x = 1e30f, max_x = -1e30f, min_y = 1e30f, max_y = -1e30f;
  for (const Vec& v : poly) {
    min_x = std::min(min_x, v.x), max_x = std::max(max_x, v.x);
    min_y = std::min(min_y, v.y), max_y = std::max(max_y, v.y);
  }
  for (Vec& v : poly) {
    v.x = (v.x - min_x) / (max_x - min_x) * 2 - 1;
    v.y = (v.y - min_y) / (max_y - min_y) * 2 - 1;
  }
  return poly;
}

Color mix(Color a, Color b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

// Source over destination, both straight alpha.
Color over(Color src, Color dst) {
  const float a = src.a + dst.a * (1 - src.a);
  if (a <= 0) return {};
  auto channel = [&](float s, float d) { return (s * src.a + d * dst.a * (1 - src.a)) / a; };
  return {channel(src.r, dst.r), channel(src.g, dst.g), channel(src.b, dst.b), a};
}

class Renderer {
public:
  explicit Renderer(const Picture& pic) : pic_(pic) {
    hx_ = std::max(0.0f, pic.width / 2.0f - pic.margin);
    hy_ = std::max(0.0f, pic.height / 2.0f - pic.margin);
    const float size = std::min(hx_, hy_) * 2;
    thickness_ = pic.thickness >= 0 ? pic.thickness : size / 3;
    radius_ = std::min(pic.radius >= 0 ? pic.radius : size / 5, std::min(hx_, hy_));
    const float arm = size > 0 ? std::clamp(thickness_ / size, 0.01f, 1.0f) : 0.33f;
    if (pic.shape == Shape::diamond || pic.shape == Shape::triangle || pic.shape == Shape::hexagon ||
        pic.shape == Shape::star || pic.shape == Shape::cross) {
      polygon_ = unit_polygon(pic.shape, std::max(2, pic.points), arm);
      for (Vec& v : polygon_) v = {v.x * hx_, v.y * hy_};
    }
    const float angle = -pic.rotate_degrees * pi / 180;
    cos_ = std::cos(angle), sin_ = std::sin(angle);
  }

  Color sample(float x, float y) const {
    Color background;
    if (pic_.has_background)
      background = mix(pic_.background, pic_.background_bottom, y / std::max(1, pic_.height));
    // Shape space: centred, rotated back, y still down.
    const Vec centred{x - pic_.width / 2.0f, y - pic_.height / 2.0f};
    const Vec p{centred.x * cos_ - centred.y * sin_, centred.x * sin_ + centred.y * cos_};
    const float d = distance(p);
    if (d > 0) return background;
    const float t = hy_ > 0 ? std::clamp((p.y + hy_) / (2 * hy_), 0.0f, 1.0f) : 0;
    Color colour = pic_.has_gradient ? mix(pic_.fill, pic_.gradient, t) : pic_.fill;
    // A faint gloss in the top quarter only, so that a caption across the middle keeps its
    // contrast.
    if (pic_.shine && hx_ > 0 && hy_ > 0) {
      const float sx = p.x / (hx_ * 0.85f), sy = (p.y + hy_ * 0.72f) / (hy_ * 0.2f);
      const float inside = 1 - (sx * sx + sy * sy);
      if (inside > 0) colour = over(Color{1, 1, 1, 0.3f * std::min(1.0f, inside * 2)}, colour);
    }
    if (pic_.outline_width > 0 && d > -pic_.outline_width) colour = pic_.outline_color;
    return over(colour, background);
  }

private:
  float distance(Vec p) const {
    switch (pic_.shape) {
      case Shape::fill: return box_distance(p, pic_.width / 2.0f, pic_.height / 2.0f, 0);
      case Shape::rect: return box_distance(p, hx_, hy_, 0);
      case Shape::roundrect: return box_distance(p, hx_, hy_, radius_);
      case Shape::circle: return ellipse_distance(p, hx_, hy_);
      case Shape::ring:
        return std::max(ellipse_distance(p, hx_, hy_),
                        -ellipse_distance(p, hx_ - thickness_, hy_ - thickness_));
      case Shape::frame:
        return std::max(box_distance(p, hx_, hy_, 0),
                        -box_distance(p, hx_ - thickness_, hy_ - thickness_, 0));
      default: return polygon_.size() >= 3 ? polygon_distance(polygon_, p) : 1e30f;
    }
  }

  const Picture& pic_;
  float hx_, hy_, thickness_, radius_, cos_, sin_;
  std::vector<Vec> polygon_;
};

std::uint8_t to_byte(float v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); }

}  // namespace

bool parse_color(const std::string& text, Color& out) {
  std::string digits = text;
  if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits = digits.substr(2);
  if (digits.size() != 8 || digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
    return false;
  const unsigned long v = std::strtoul(digits.c_str(), nullptr, 16);
  out = {((v >> 24) & 0xff) / 255.0f, ((v >> 16) & 0xff) / 255.0f, ((v >> 8) & 0xff) / 255.0f,
         (v & 0xff) / 255.0f};
  return true;
}

bool parse_shape(const std::string& name, Shape& out) {
  static const std::pair<const char*, Shape> names[] = {
      {"fill", Shape::fill},       {"rect", Shape::rect},         {"roundrect", Shape::roundrect},
      {"circle", Shape::circle},   {"diamond", Shape::diamond},   {"triangle", Shape::triangle},
      {"hexagon", Shape::hexagon}, {"star", Shape::star},         {"cross", Shape::cross},
      {"plus", Shape::cross},      {"ring", Shape::ring},         {"frame", Shape::frame}};
  for (const auto& [text, shape] : names)
    if (name == text) {
      out = shape;
      return true;
    }
  return false;
}

std::vector<std::uint8_t> render(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  const Renderer renderer(picture);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(picture.width) * picture.height * 4);
  constexpr int count = samples_per_axis * samples_per_axis;
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      // Average premultiplied, so transparent samples do not darken the edge.
      float r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < samples_per_axis; ++sy)
        for (int sx = 0; sx < samples_per_axis; ++sx) {
          const Color c = renderer.sample(x + (sx + 0.5f) / samples_per_axis, y + (sy + 0.5f) / samples_per_axis);
          r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
        }
      std::uint8_t* out = &pixels[(static_cast<std::size_t>(y) * picture.width + x) * 4];
      out[0] = to_byte(a > 0 ? r / a : 0);
      out[1] = to_byte(a > 0 ? g / a : 0);
      out[2] = to_byte(a > 0 ? b / a : 0);
      out[3] = to_byte(a / count);
    }
  return pixels;
}

}  // namespace picgen
