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
