#pragma once
// A number that rises from where a group went and fades out, then leaves the scene. Its look
// (font, size, colour) is a Text section of the scene file; "ScorePopup->lifeTime" (seconds,
// default 1), "ScorePopup->rise" (scene units, default 0.15) and "ScorePopup->holdTime" (seconds
// at full opacity before the fade, default 0) in the same section set its motion.

#include <string>

#include "tessim/time.h"
#include "voskar/text.h"

class ScorePopup : public Text {
public:
  ScorePopup();
  ~ScorePopup() override;

  // Loads the look from the section (prefix) of the scene's configuration and shows the text
  // centred at (x, y); false, with the error set, when it cannot be shown.
  bool show_at(Scene* scene, const std::string& prefix, const std::string& object_name, const std::string& text,
               float x, float y);
  void draw() override;
  // The number has risen for its life time: the scene removes it instead of drawing it.
  bool faded() const { return !(static_cast<float>(timer.get_elapsed_time_noreset()) < life_time); }
  // A paused game holds its numbers where they are.
  void delay_clocks(double seconds) override { timer.postpone(seconds); }

  float _get_life_time() const { return life_time; }

private:
  float life_time;
  float rise;
  float hold_time;
  float start_x, start_y;
  Time timer;
};
