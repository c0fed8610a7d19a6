#pragma once
// Game modules: shared libraries listed in cfg/Game.cfg that add object and scene types of the
// game's own. A module exports one entry point,
//
//   extern "C" bool _register_game_module(GameModuleRegistrar* registrar);
//
// which declares each of its types with the fabric that makes it and its entry of the type table
// (keys, slots, signals). Answering false refuses the module. Its types are registered only when
// the entry point accepts and every name is free, so a module is taken whole or not at all.

#include <ostream>
#include <string>
#include <vector>

#include "voskar/fabric.h"
#include "voskar/type_table.h"

class Config_Interface;

class GameModuleRegistrar {
public:
  virtual ~GameModuleRegistrar() = default;
  // The fabric belongs to the module and must live as long as the process (a global object).
  // The type's texts are copied. type.scene_type is set by the call used.
  virtual void add_object_type(const TypeDoc& type, SceneObjectFabric* fabric) = 0;
  virtual void add_scene_type(const TypeDoc& type, SceneFabric* fabric) = 0;
  // Why the entry point answers false, for the start-up line.
  virtual void refuse(const std::string& reason) = 0;
};

using GameModuleEntry = bool (*)(GameModuleRegistrar* registrar);
inline constexpr const char* GAME_MODULE_ENTRY = "_register_game_module";

// Loads the modules of the list Options->Modules->ModuleN (N from 0 to the first entry missing)
// of `config`, each a bare library name ("libpegfall") looked for first as lib/<name>.so of the
// data folder (the working directory), then beside the engine's libraries. A module that cannot
// be loaded, lacks the entry point, refuses, or declares a type name already taken is left out
// after one line to `report` naming `file`, the key and the reason. Answers the names loaded.
std::vector<std::string> load_game_modules(Config_Interface* config, const std::string& file,
                                           std::ostream& report);
