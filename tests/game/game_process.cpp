#include "game_process.h"

#include <fstream>

namespace game_test {

void prepare_game_folder(const test_support::ScratchDir& folder, const std::string& start_scene) {
  folder.copy_from_source("cfg");
  folder.copy_from_source("res");
  folder.write("cfg/Game.cfg",
               "[Fonts]\n\t[Font0]\n\t\tname Font0\n\t\tsource res/fonts/DejaVuSans.ttf\n\t[/]\n[/]\n"
               "[Options]\n\tStartScene " + start_scene + "\n[/]\n");
}

bool use_headless_driver(const test_support::ScratchDir& folder, int frames) {
  std::string video = folder.read("cfg/Video.cfg");
  const std::string driver = "Driver libGL_tessar";
  const size_t at = video.find(driver);
  if (at == std::string::npos) return false;
  video.replace(at, driver.size(),
                "Driver libheadless_tessar\n\tFrames " + std::to_string(frames) +
                    "\n\tInputFile input.txt\n\tTraceFile trace.txt");
  folder.write("cfg/Video.cfg", video);
  return true;
}

long resident_kb(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 16, '\n');
  }
  return 0;
}

}  // namespace game_test
