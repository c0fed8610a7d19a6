// The module list of cfg/Game.cfg from arbitrary text: each input line is one entry, read through
// the configuration reader and handed to the module loader. Names with slashes, dots, spaces or
// no end must be refused with their line; names of real libraries load or are refused whole.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "memory_file.h"
#include "voskar/game_module.h"

namespace {

std::string game_cfg;

Brannow::File* open_file(const std::string& name, Brannow::READ_MODE mode) {
  if (mode != Brannow::READ || name != "cfg/Game.cfg") throw BrannowError(name + ": not served");
  return new MemoryFile(game_cfg);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Brannow::FileManager* files = [] {
    auto* manager = new Brannow::FileManager(100);
    manager->register_brannow(open_file);
    return manager;
  }();
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  game_cfg = "[Options]\n\t[Modules]\n";
  int index = 0;
  for (std::string line; std::getline(lines, line); ++index)
    game_cfg += "\t\tModule" + std::to_string(index) + " " + line + "\n";
  game_cfg += "\t[/]\n[/]\n";

  config_remove("GameConfig");
  if (!config_create("GameConfig", "libquorra", false)) __builtin_trap();
  Config_Interface* config = config_get_interface("GameConfig");
  config->load("cfg/Game.cfg", files);
  std::ostringstream report;
  load_game_modules(config, "cfg/Game.cfg", report);
  return 0;
}
