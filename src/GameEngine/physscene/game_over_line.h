#pragma once
// The line across the field that the pile must stay under: a thin strip in the line's colour,
// made once in the video driver and drawn each frame; while stones rest above it, a strip in
// the warning colour instead (when one is set).

#include <cstdint>
#include <string>

class GameOverLine {
public:
  // The strips are filed under the scene's name as their group; a warning colour of 0 keeps the
  // line's own colour while stones rest above it.
  void set(const std::string& video_name, const std::string& scene_name, float y, uint32_t rgba,
           uint32_t warning_rgba) {
    video = video_name;
    group = scene_name;
    line_y = y;
    colour = rgba;
    warning_colour = warning_rgba;
  }
  // Draws the strip `width` pixels wide (0: the screen's width), making it first when needed.
  void draw(int width, bool warning) const;

private:
  std::string video, group;
  float line_y = 0.0f;
  uint32_t colour = 0xffffff40u;  // 0xRRGGBBAA
  uint32_t warning_colour = 0;
};
