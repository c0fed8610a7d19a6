#include "game_fixture.h"

#include <unistd.h>

#include "GameEngine/game_fabrics.h"
#include "carrow/config.h"
#include "vistrel/imageloader.h"
#include "voskar/scenemanager.h"
#include "xserver.h"

namespace game_test {
namespace {

Brannow::FileManager* file_manager = nullptr;

bool start_engine(std::string* error) {
  static bool started = false;
  static std::string failure;
  if (started) {
    *error = failure;
    return failure.empty();
  }
  started = true;
  if (!test_support::ensure_x_server(&failure)) return false;
  // The game reads its pictures relative to the working directory, as the program does.
  if (chdir(TARNVALE_SOURCE_DIR) != 0) failure = "no source tree";
  file_manager = new Brannow::FileManager(100);
  file_manager->register_brannow(Brannow::CreatePosixFile);
  config_create("VideoConfig", "libquorra", true);
  Config_Interface* config = config_get_interface("VideoConfig");
  for (auto [key, value] : {std::pair{"Width", "800"}, {"Height", "600"}, {"FullScreen", "no"},
                            {"HideMouse", "no"}, {"LimitFPS", "0"}})
    config->set_value(std::string("Video->") + key, value, true);
  std::string params[3] = {"VideoConfig", "Video->", "VX_Video"};
  if (!video_create("Video", "libGL_tessar", params, 3, 0)) failure = "video: " + video_error();
  else if (!video_get_interface("Video")->_init()) failure = "video init: " + video_get_interface("Video")->_get_error();
  if (!imageloader_create("png", "libgrisk_png", true)) failure = "png: " + imageloader_error();
  init("Video");
  SceneFabric::add_fabric("GameScene", game_scene_fabric());
  *error = failure;
  return failure.empty();
}

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

Video_Interface* video() { return video_get_interface("Video"); }
Brannow::FileManager* files() { return file_manager; }

void GameField::SetUp() {
  REQUIRE_X_SERVER();
  std::string error;
  if (!start_engine(&error)) FAIL() << "the engine did not start: " << error;
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
  scene->set_file_manager(file_manager);
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

void GameField::step(int n) {
  for (int i = 0; i < n; ++i) scene->step_world();
}

int GameField::body_count() { return scene->get_world()->GetBodyCount(); }

bool GameField::has(const std::string& name) { return scene->get_object(name) != nullptr; }

}  // namespace game_test
