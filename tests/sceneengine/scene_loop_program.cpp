// A program made of the engine's libraries and the probe object: it opens the real window,
// runs the scene list it is given from the start scene it is given, and prints what the probes
// see (each object's first draw only). Arguments: video configuration, scene list, start scene.

#include <iostream>
#include <set>
#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "olvane/video.h"
#include "probe.h"
#include "voskar/scenemanager.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::cerr << "usage: scene_loop_program <video.cfg> <scene list> <start scene>" << std::endl;
    return 2;
  }
  Brannow::FileManager files(100);
  files.register_brannow(Brannow::CreatePosixFile);
  if (!config_create("VideoConfig", "libquorra", true)) {
    std::cerr << "config: " << config_error() << std::endl;
    return 1;
  }
  config_get_interface("VideoConfig")->load(argv[1], &files);
  std::string params[] = {"VideoConfig", "Video->", "VX_Video"};
  if (!video_create("Video", "libGL_tessar", params, 3, 0)) {
    std::cerr << "video: " << video_error() << std::endl;
    return 1;
  }
  Video_Interface* video = video_get_interface("Video");
  if (!video->_init()) {
    std::cerr << "video init: " << video->_get_error() << std::endl;
    return 1;
  }

  init("Video");
  static ObjectFabric<Probe> probes;
  SceneObjectFabric::add_fabric("Probe", &probes);
  std::set<std::string> drawn;
  Probe::sink = [&drawn](const std::string& line) {
    const bool draw = line.size() > 5 && line.compare(line.size() - 5, 5, ":draw") == 0;
    if (draw && !drawn.insert(line).second) return;
    std::cout << line << std::endl;
  };

  load_scenes(argv[2], "Video", &files);
  process_scene(argv[3]);
  std::cout << "loop ended" << std::endl;
  video->_deinit();
  return 0;
}
