#pragma once
// The hint's mark: behind each hinted stone a larger silhouette of it in the glow colour, so the
// hint reads as light around the stones while a selection darkens its stone.

#include <cstdint>
#include <string>

class BaseStone;

class HintGlow {
public:
  // The silhouettes are filed under the scene's name as their group.
  void set(const std::string& video_name, const std::string& scene_name, uint32_t rgba) {
    video = video_name;
    group = scene_name;
    colour = rgba;
  }
  // Makes the stone's silhouette (false when its picture cannot give one).
  bool make(BaseStone* stone) const;
  // Draws the stone's silhouette where the stone is, at the given opacity. The driver draws the
  // stones of one picture together where the first of them comes: the silhouettes must come
  // before the first stone of the frame to lie under their stones.
  void draw(BaseStone* stone, float alpha) const;
  // Releases the silhouette of the stone named so.
  void release(const std::string& stone_name) const;

private:
  std::string name_of(const std::string& stone_name) const { return stone_name + "hintGlow"; }
  std::string video, group;
  uint32_t colour = 0xffffffffu;  // 0xRRGGBBAA
};
