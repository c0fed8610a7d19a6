#pragma once
// A mark of light around a stone: behind it a larger silhouette of it in the glow colour. The hint
// and the keyboard's cursor mark their stones so, each in its colour, while a selection darkens
// its stone.

#include <cstdint>
#include <string>

class BaseStone;

class StoneGlow {
public:
  // The silhouettes are filed under the scene's name as their group, each under its stone's name
  // and the suffix.
  void set(const std::string& video_name, const std::string& scene_name, uint32_t rgba, const std::string& suffix) {
    video = video_name;
    group = scene_name;
    colour = rgba;
    name_suffix = suffix;
  }
  uint32_t get_colour() const { return colour; }
  // Makes the stone's silhouette (false when its picture cannot give one).
  bool make(BaseStone* stone) const;
  // Draws the stone's silhouette where the stone is, at the given opacity. The driver draws the
  // stones of one picture together where the first of them comes: the silhouettes must come
  // before the first stone of the frame to lie under their stones.
  void draw(BaseStone* stone, float alpha) const;
  // Releases the silhouette of the stone named so.
  void release(const std::string& stone_name) const;

private:
  std::string name_of(const std::string& stone_name) const { return stone_name + name_suffix; }
  std::string video, group, name_suffix;
  uint32_t colour = 0xffffffffu;  // 0xRRGGBBAA
};
