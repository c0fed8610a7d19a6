#pragma once
// A mark of light around a stone: a ring in the glow colour of the stone's own shape, grown, drawn
// over the stone's edge. The hint and the keyboard's cursor mark their stones so, each in its
// colour, while a selection darkens its stone.

#include <cstdint>
#include <string>

class BaseStone;

class StoneGlow {
public:
  // The rings are filed under the scene's name as their group, each under its stone's name
  // and the suffix.
  void set(const std::string& video_name, const std::string& scene_name, uint32_t rgba, const std::string& suffix) {
    video = video_name;
    group = scene_name;
    colour = rgba;
    name_suffix = suffix;
  }
  uint32_t get_colour() const { return colour; }
  // Makes the stone's ring (false when its picture cannot give one).
  bool make(BaseStone* stone) const;
  // Draws the stone's ring where the stone is, at the given opacity; drawn after the stones.
  void draw(BaseStone* stone, float alpha) const;
  // Releases the ring of the stone named so.
  void release(const std::string& stone_name) const;

private:
  std::string name_of(const std::string& stone_name) const { return stone_name + name_suffix; }
  std::string video, group, name_suffix;
  uint32_t colour = 0xffffffffu;  // 0xRRGGBBAA
};
