#include "game_engine.h"

#include <unistd.h>

#include "GameEngine/game_fabrics.h"
#include "olvane/video.h"
#include "scrivet/textrenderer.h"
#include "vistrel/imageloader.h"
#include "voskar/scenemanager.h"
#include "gl_video.h"
#include "xserver.h"

namespace game_test {
namespace {

Brannow::FileManager* file_manager = nullptr;

}  // namespace

bool start_once(const std::function<std::string(Brannow::FileManager*)>& start, std::string* error) {
  static bool started = false;
  static std::string failure;
  if (!started) {
    started = true;
    if (!test_support::ensure_x_server(&failure)) {
      if (failure.empty()) failure = "no X server";
    } else if (chdir(TARNVALE_SOURCE_DIR) != 0) {
      failure = "no source tree";
    } else {
      file_manager = new Brannow::FileManager(100);
      file_manager->register_brannow(Brannow::CreatePosixFile);
      failure = start(file_manager);
    }
  }
  *error = failure;
  return failure.empty();
}

bool start_game_engine(std::string* error) {
  return start_once([](Brannow::FileManager* files) -> std::string {
    std::string failure = test_support::open_gl_video(
        "VideoConfig",
        {{"Width", "800"}, {"Height", "600"}, {"FullScreen", "no"}, {"HideMouse", "no"}, {"LimitFPS", "0"}});
    if (!failure.empty()) return failure;
    if (!imageloader_create("png", "libgrisk_png", true)) return "png: " + imageloader_error();
    // Texts of the game (the multiplier, the rising numbers) in the game's own font.
    if (!textrenderer_create("ttf", "libmordent", true) ||
        !textrenderer_get("ttf")->load_font("Font0", "res/fonts/DejaVuSans.ttf", files))
      return "ttf: " + textrenderer_error();
    init("Video");
    SceneFabric::add_fabric("GameScene", game_scene_fabric());
    return "";
  }, error);
}

Brannow::FileManager* engine_files() { return file_manager; }

}  // namespace game_test
