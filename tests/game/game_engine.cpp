#include "game_engine.h"

#include <unistd.h>

#include "GameEngine/game_fabrics.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "vistrel/imageloader.h"
#include "voskar/scenemanager.h"
#include "xserver.h"

namespace game_test {
namespace {

Brannow::FileManager* file_manager = nullptr;

}  // namespace

bool start_game_engine(std::string* error) {
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

Brannow::FileManager* engine_files() { return file_manager; }

}  // namespace game_test
