// A module that finds it cannot run and says why.
#include "voskar/game_module.h"

extern "C" bool _register_game_module(GameModuleRegistrar* registrar) {
  registrar->refuse("needs a newer engine");
  return false;
}
