#include "voskar/game_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <deque>
#include <set>

#include "carrow/config.h"
#include "modpath/modpath.h"
#include "tarnvale/indexed_list.h"
#include "voskar/fabric.h"

namespace {

// Never destroyed: the types stay registered, and their modules loaded, until the process ends.
struct TypeTable {
  std::deque<std::string> texts;  // a deque never moves what it holds
  std::deque<TypeDoc> types;
  std::vector<const TypeDoc*> in_order;
};
TypeTable& table() {
  static TypeTable* t = new TypeTable;
  return *t;
}

// The type with every text copied into `store`, where it stays put.
TypeDoc copied(const TypeDoc& type, std::deque<std::string>& store) {
  auto keep = [&store](const char*& text) {
    store.emplace_back(text ? text : "");
    text = store.back().c_str();
  };
  TypeDoc copy = type;
  keep(copy.name);
  keep(copy.summary);
  for (auto* texts : {&copy.bases, &copy.slots, &copy.signals})
    for (const char*& text : *texts) keep(text);
  for (auto* keys : {&copy.keys, &copy.style_keys})
    for (KeyDoc& key : *keys) {
      keep(key.key);
      keep(key.fallback);
      keep(key.meaning);
    }
  return copy;
}

class Registrar : public GameModuleRegistrar {
public:
  struct Declared {
    TypeDoc type;
    SceneObjectFabric* object_fabric;
    SceneFabric* scene_fabric;
  };

  // Copied at once: the module may describe the type with strings that end with the call.
  void add_object_type(const TypeDoc& type, SceneObjectFabric* fabric) override {
    declared.push_back({copied(type, texts), fabric, nullptr});
    declared.back().type.scene_type = false;
  }
  void add_scene_type(const TypeDoc& type, SceneFabric* fabric) override {
    declared.push_back({copied(type, texts), nullptr, fabric});
    declared.back().type.scene_type = true;
  }
  void refuse(const std::string& reason) override { refusal = reason; }

  // Why the declared types cannot be registered; empty when they all can.
  std::string fault() const {
    std::set<std::string> names;
    for (const Declared& each : declared) {
      const std::string name = each.type.name;
      if (name.empty()) return "declares a type without a name";
      if (!each.object_fabric && !each.scene_fabric)
        return "declares the type \"" + name + "\" without a fabric";
      // One name space for both kinds: data files and the checker name a type by its name alone.
      const bool taken =
          SceneFabric::_fabrics_.exists(name) || SceneObjectFabric::_fabrics_.exists(name);
      if (taken || !names.insert(name).second)
        return "declares the type \"" + name + "\", whose name is taken";
    }
    return std::string();
  }

  void commit() const {
    for (const Declared& each : declared) {
      table().types.push_back(copied(each.type, table().texts));
      const TypeDoc& type = table().types.back();
      table().in_order.push_back(&type);
      if (each.scene_fabric)
        SceneFabric::add_fabric(type.name, each.scene_fabric);
      else
        SceneObjectFabric::add_fabric(type.name, each.object_fabric);
    }
  }

  std::deque<std::string> texts;
  std::vector<Declared> declared;
  std::string refusal;
};

// A bare name is what a plug-in name is: no folder, no suffix, nothing the shell would mangle.
std::string bare_name_fault(const std::string& name) {
  if (name.empty()) return "is empty";
  if (name.size() > 200) return "is longer than 200 characters";
  for (char c : name)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-'))
      return "is not a bare library name (letters, digits, '_' and '-' only, as in \"libpegfall\")";
  return std::string();
}

// The data folder's lib/<name>.so when there is one, else beside the engine's libraries.
void* open_module(const std::string& name, std::string* error) {
  char cwd[4096];
  const std::string own = std::string(getcwd(cwd, sizeof cwd) ? cwd : ".") + "/lib/" + name + ".so";
  void* handle = access(own.c_str(), F_OK) == 0 ? dlopen(own.c_str(), RTLD_NOW | RTLD_LOCAL)
                                                 : modpath::open(name);
  if (!handle) {
    const char* why = dlerror();
    *error = std::string("cannot be loaded: ") + (why ? why : "not found");
  }
  return handle;
}

// Loads one module; empty when it was taken, else why not.
std::string load_module(const std::string& name) {
  std::string error = bare_name_fault(name);
  if (!error.empty()) return error;
  void* handle = open_module(name, &error);
  if (!handle) return error;
  auto entry = reinterpret_cast<GameModuleEntry>(dlsym(handle, GAME_MODULE_ENTRY));
  if (!entry) return std::string("has no entry point ") + GAME_MODULE_ENTRY;
  Registrar registrar;
  bool accepted = false;
  try {
    accepted = entry(&registrar);
  } catch (...) {
    return "threw an exception from its entry point";
  }
  if (!accepted)
    return "refused" + (registrar.refusal.empty() ? std::string() : ": " + registrar.refusal);
  error = registrar.fault();
  if (error.empty()) registrar.commit();
  return error;
}

}  // namespace

const std::vector<const TypeDoc*>& module_types() { return table().in_order; }

std::vector<std::string> load_game_modules(Config_Interface* config, const std::string& file,
                                           std::ostream& report) {
  std::vector<std::string> loaded;
  if (!config) return loaded;
  tarnvale::for_each_index("Options->Modules->Module", "", [&](const std::string& key, int) {
    const std::string name = config->get_value(key, "");
    // The list ends at the first entry the file does not have; one left empty is a mistake.
    if (name.empty() && config->_get_origin(key).line == 0) return false;
    const std::string fault = load_module(name);
    if (fault.empty())
      loaded.push_back(name);
    else
      report << file << ": " << key << " \"" << name.substr(0, 200)
             << (name.size() > 200 ? "...\" " : "\" ") << fault << "; left out" << std::endl;
    return true;
  });
  return loaded;
}
