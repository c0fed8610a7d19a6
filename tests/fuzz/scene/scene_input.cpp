#include "scene_input.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "GameEngine/game_fabrics.h"
#include "brannow/brannow.h"
#include "carrow/config.h"
#include "memory_file.h"
#include "olvane/video.h"
#include "panolet/ui.h"
#include "scrivet/textrenderer.h"
#include "vistrel/imageloader.h"
#include "voskar/scene.h"
#include "voskar/scenemanager.h"

namespace scene_input {
namespace {

const char* const kInput = "fuzz/input";
// The fixed game scene whose level is the input.
const char* const kGameScene =
    "[Scene]\n\tgravity_y -60\n\tlevel fuzz/input\n\t[Objects]\n\t\t[Object0]\n\t\t\tname emitter\n"
    "\t\t[/]\n\t[/]\n[/]\n[Objects]\n\t[emitter]\n\t\ttype StoneEmitter\n\t\t[StoneEmitter]\n"
    "\t\t\tstoneName stone\n\t\t\tinitialEmit 3\n\t\t[/]\n\t[/]\n[/]\n";
const char* const kGameSceneFile = "fuzz/game.scn";

std::string input_text;

// The input under its names; the shipped data (pictures, fonts, styles) read from the source
// tree. Anything else, and devices or huge files named by the input, cannot be opened.
Brannow::File* open_file(const std::string& name, Brannow::READ_MODE mode) {
  if (mode != Brannow::READ) throw BrannowError(name + ": read only");
  if (name == kInput) return new MemoryFile(input_text);
  if (name == kGameSceneFile) return new MemoryFile(kGameScene);
  const std::string path = std::string(TARNVALE_SOURCE_DIR) + "/" + name;
  std::error_code error;
  if (name.find("..") != std::string::npos || !std::filesystem::is_regular_file(path, error) ||
      std::filesystem::file_size(path, error) > (4u << 20))
    throw BrannowError(name + ": not served");
  return Brannow::CreatePosixFile(path, mode);
}

Brannow::FileManager* files() {
  static Brannow::FileManager* manager = [] {
    auto* m = new Brannow::FileManager(100);
    m->register_brannow(open_file);
    return m;
  }();
  return manager;
}

// Once per process: the windowless driver as "Video", loaders, the font, widgets and game types.
void set_up() {
  static bool done = [] {
    config_create("FuzzVideo", "libquorra", true);
    Config_Interface* video_config = config_get_interface("FuzzVideo");
    video_config->set_value("Video->Width", "320", true);
    video_config->set_value("Video->Height", "240", true);
    std::string params[3] = {"FuzzVideo", "Video->", "Fuzz"};
    if (!video_create("Video", "libheadless_tessar", params, 3, 0)) __builtin_trap();
    if (!video_get_interface("Video")->_init()) __builtin_trap();
    imageloader_create("png", "libgrisk_png", true);
    imageloader_create("jpg", "libgrisk_jpg", true);
    textrenderer_create("ttf", "libmordent", true);
    textrenderer_get("ttf")->load_font("Font0", "res/fonts/DejaVuSans.ttf", files());
    init("Video");
    SceneFabric::add_fabric("GameScene", game_scene_fabric());
    ui_init();
    ui_load_styleset("res/interface/base.style", "BaseStyle", files());
    register_game_object_fabrics();
    return true;
  }();
  (void)done;
}

void run(const std::string& type, const std::string& file) {
  set_up();
  // Configurations live by name for the process: each input starts without the last one's.
  config_remove("fuzz");
  config_remove(kInput);
  Scene* scene = SceneFabric()[type];
  scene->set_name("fuzz");
  scene->set_video_name("Video");
  scene->set_file_manager(files());
  scene->set_storage_file(file);
  scene->slot__on_activate(nullptr);
  if (scene->load_scene())
    for (int frame = 0; frame < 3; ++frame) {
      scene->draw();
      video_get_interface("Video")->_flip();
    }
  scene->slot__on_deactivate(nullptr);
  for (const std::string& name : scene->get_object_names()) {
    SceneObject* object = scene->get_object(name);
    if (scene->remove_object(name)) delete object;
  }
  delete scene;
}

}  // namespace

void load_scene_text(const std::string& text) {
  input_text = text;
  run("generic", kInput);
}

void load_level_text(const std::string& text) {
  input_text = text;
  run("GameScene", kGameSceneFile);
}

}  // namespace scene_input
