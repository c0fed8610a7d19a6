#pragma once
// Scenes with images, texts and timers, read from files written by the tests, on the scene
// suites' windowless video "Video", with the real PNG loader and TrueType renderer plug-ins.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "scene_kit.h"
#include "surface_pixels.h"

namespace objects_test {

using test_support::Rgba;
using test_support::pixel;

// Writes a w x h RGBA PNG; `colour(x, y)` gives the pixel with y counted from the TOP row.
std::string write_png(const test_support::ScratchDir& dir, const std::string& name, int w, int h,
                      const std::function<Rgba(int x, int y)>& colour);

// Records the parameters of every delivery to the slot "<name>".
class SlotRecorder {
public:
  explicit SlotRecorder(std::string slot_name);
  ~SlotRecorder();
  bool on_signal(SlotArgs* args);
  std::vector<SlotArgs> received;
  // Called after each delivery.
  std::function<void()> then;

private:
  std::string name_;
  Slot<SlotRecorder> slot_;
};

class SceneObjects : public scene_kit::SceneFixture {
protected:
  void SetUp() override;
  // A scene (not loaded) with the given (name, z level) entries and object sections.
  Scene* scene_of(const std::vector<std::pair<std::string, int>>& entries,
                  const std::string& sections);
  // The scene loaded; stderr of the load is kept in `load_log`.
  Scene* loaded(const std::vector<std::pair<std::string, int>>& entries,
                const std::string& sections);

  std::string load_log;
};

}  // namespace objects_test
