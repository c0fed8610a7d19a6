#pragma once
// The line across the field that the pile must stay under: a thin strip in the line's colour,
// made once in the video driver and drawn each frame.

#include <cstdint>
#include <string>

class GameOverLine {
public:
  // The strip is filed under the scene's name as its group.
  void set(const std::string& video_name, const std::string& scene_name, float y, uint32_t rgba) {
    video = video_name;
    group = scene_name;
    line_y = y;
    colour = rgba;
  }
  // Draws the strip `width` pixels wide (0: the screen's width), making it first when needed.
  void draw(int width) const;

private:
  std::string video, group;
  float line_y = 0.0f;
  uint32_t colour = 0xffffff40u;  // 0xRRGGBBAA
};
