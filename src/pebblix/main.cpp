#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "startup.h"
#include "voskar/scenemanager.h"

int main() {
  Brannow::FileManager* file_manager = new Brannow::FileManager(100);
  file_manager->register_brannow(Brannow::CreatePosixFile);
  if (!init(file_manager)) return 1;

  load_scenes("res/scenes.scns", "Video", file_manager);
  startup_mark("scene list");
  std::string start_scene = "start_screen";
  if (Config_Interface* config = config_get_interface("GameConfig"))
    start_scene = config->get_value("Options->StartScene", "start_screen");
  process_scene(start_scene);

  if (Video_Interface* video = video_get_interface("Video")) video->_deinit();
  delete file_manager;
  return 0;
}
