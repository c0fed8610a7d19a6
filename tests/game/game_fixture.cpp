#include "game_fixture.h"

#include <chrono>
#include <thread>


#include "game_engine.h"
#include "xserver.h"

namespace game_test {
namespace {

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

Video_Interface* video() { return video_get_interface("Video"); }
Brannow::FileManager* files() { return engine_files(); }

void GameField::SetUp() {
  REQUIRE_X_SERVER();
  std::string error;
  if (!start_game_engine(&error)) FAIL() << "the engine did not start: " << error;
}

void GameField::TearDown() {
  if (scene) scene->slot__on_deactivate(nullptr);
  delete scene;
  scene = nullptr;
}

std::string GameField::scene_with(const std::string& scene_keys, const std::string& extra_sections,
                                  const std::string& emitter_keys) {
  return "[Scene]\n" + scene_keys +
         "\tlevel @LEVEL@\n"
         "\t[Objects]\n\t\t[Object0]\n\t\t\tname emitter\n\t\t[/]\n\t[/]\n"
         "[/]\n"
         "[Objects]\n\t[emitter]\n\t\ttype StoneEmitter\n"
         "\t\t[StoneEmitter]\n" + emitter_keys +
         "\t\t\tstoneName res/game/stone\n\t\t\tstoneWidth 0.08\n"
         "\t\t\tstoneHeight 0.08\n\t\t\tinitialEmit 0\n\t\t[/]\n\t[/]\n[/]\n" +
         extra_sections;
}

PhysScene* GameField::load(std::string scene_text, std::string level_text) {
  static int scenes = 0;
  const std::string name = "field" + std::to_string(++scenes);
  if (scene_text.empty()) scene_text = scene_with("");
  const std::string level_file = scratch.file(name + ".lvl");
  replace_all(scene_text, "@SCENE@", name);
  replace_all(scene_text, "@LEVEL@", level_file);
  replace_all(level_text, "@SCENE@", name);
  scratch.write(name + ".lvl", level_text);
  const std::string scene_file = scratch.write(name + ".scn", scene_text);

  scene = new PhysScene();
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_storage_file(scene_file);
  scene->set_file_manager(engine_files());
  scene->slot__on_activate(nullptr);
  EXPECT_TRUE(scene->load_scene());
  return scene;
}

StoneEmitter* GameField::emitter() { return dynamic_cast<StoneEmitter*>(scene->get_object("emitter")); }

BaseStone* GameField::place(const std::string& name, int type, float x, float y) {
  return emitter()->place_stone(name, type, x, y);
}

void GameField::frame() {
  scene->draw();
  video()->_flip();
}

void GameField::play_for(double seconds) {
  const double step_seconds = scene->get_time_step();
  for (double counted = 0; counted < seconds; counted += step_seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(step_seconds));
    frame();
  }
}

void GameField::step(int n) {
  for (int i = 0; i < n; ++i) scene->step_world();
}

int GameField::body_count() { return scene->get_world()->GetBodyCount(); }

bool GameField::has(const std::string& name) { return scene->get_object(name) != nullptr; }

}  // namespace game_test
