#pragma once
// The UI suites' world: the real OpenGL driver in a 400 x 300 window of the test's private X
// server, the PNG loader and TrueType renderer plug-ins, the scene manager and the UI library
// with the test style set. Scenes are read from text; input comes from xdotool and is pumped
// into the video signals the way the run loop does it; pixels are read back from the screen.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "brannow/brannow.h"
#include "olvane/video.h"
#include "scratch.h"
#include "twinkel/signals.h"
#include "voskar/scene.h"

namespace ui_test {

constexpr int kWidth = 400, kHeight = 300;

struct Rgb {
  int r = 0, g = 0, b = 0;
};

class UiTest : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A scene of that name read from the text, loaded and activated. The test owns it through
  // the fixture, which releases it (and its objects) at the end.
  Scene* load_scene(const std::string& name, const std::string& text);
  // Loads like load_scene but answers false instead of failing the test.
  bool try_load_scene(const std::string& name, const std::string& text);

  // One cycle of the run loop: end the frame (input is polled), pump the events, draw.
  void cycle(Scene* scene);
  void cycles(Scene* scene, int count);
  // Cycles until the condition holds (X input takes a few frames to arrive); false after many.
  template <typename Condition>
  bool cycle_until(Scene* scene, Condition condition) {
    for (int i = 0; i < 100; ++i) {
      cycle(scene);
      if (condition()) return true;
    }
    return false;
  }
  // Draws the scene and shows it; the pixels of that frame can then be read.
  void show(Scene* scene);
  // The pixel at a point given in the engine's normalised coordinates.
  Rgb pixel_at(float x, float y);
  // Everything the window shows, row by row from the top, kWidth pixels a row.
  std::vector<Rgb> frame();
  // How many pixels of a normalised box are close to the colour.
  int count_colour(float x1, float y1, float x2, float y2, Rgb colour, int tolerance = 40);

  // Real X input on the window, at normalised points.
  void move_to(float x, float y);
  void click_at(float x, float y);
  void press_at(float x, float y);
  void release();
  void type(const std::string& text);
  void key(const std::string& name);

  static Video_Interface* video();
  static Brannow::FileManager* files();
  test_support::ScratchDir dir;

private:
  void pump();
  void xdotool(std::vector<std::string> arguments);
  std::vector<Scene*> scenes;
};

// Catches a signal by name and keeps every pack it carried.
class SignalCatcher {
public:
  explicit SignalCatcher(const std::string& signal_name, bool consume = true);
  ~SignalCatcher();
  std::vector<SlotArgs> packs;

private:
  bool call(SlotArgs* args);
  std::string signal_name, slot_name;
  bool consume;
  Slot<SignalCatcher> slot;
};

}  // namespace ui_test
