#pragma once
// The game's classes on the real engine: a private X server, the OpenGL driver "Video", the PNG
// loader and the scene manager, with game scenes loaded from texts the tests write.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GameEngine/GameObjects/basestone/basestone.h"
#include "GameEngine/GameObjects/stoneemitter/stoneemitter.h"
#include "GameEngine/physscene/physscene.h"
#include "olvane/video.h"
#include "scratch.h"

namespace game_test {

// One diamond's side in scene units (the stone pictures are 32 x 24 pixels on 800 x 600).
constexpr float SIDE = 0.08f;
// Offset between the centres of two stones that share a face, on each axis.
constexpr float FACE_OFFSET = 0.0565685f;

Video_Interface* video();
Brannow::FileManager* files();

class GameField : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // Loads a game scene. In both texts "@SCENE@" stands for the scene's name; the scene text's
  // "@LEVEL@" for the level file. The default scene has no gravity and an emitter named
  // "emitter" that emits nothing by itself; the default level is empty.
  PhysScene* load(std::string scene_text = "", std::string level_text = "");
  // A scene text with the given "Scene" keys, further sections, and keys of the emitter's
  // "StoneEmitter" section that come before (and so win over) the defaults above.
  static std::string scene_with(const std::string& scene_keys, const std::string& extra_sections = "",
                                const std::string& emitter_keys = "");

  StoneEmitter* emitter();
  BaseStone* place(const std::string& name, int type, float x, float y);
  // One frame: the scene's draw (which steps the world when a step is due) and the driver's flip.
  void frame();
  // Frames a time step apart until the field's clocks have counted at least the given seconds
  // (a slow frame counts only the one step it simulates).
  void play_for(double seconds);
  // Steps the world n times without drawing.
  void step(int n);
  int body_count();
  bool has(const std::string& name);

  test_support::ScratchDir scratch;
  PhysScene* scene = nullptr;
};

}  // namespace game_test
