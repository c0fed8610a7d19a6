#pragma once
// The registry both plug-in kinds share: instances under short names, each made by the entry
// point of a module loaded through handro, destroyed and unloaded on removal.

#include <string>

#include "handro/dynamic.h"
#include "tarnvale/storage.h"

template <typename Plugin>
class Plugin_Registry {
public:
  using EntryPoint = Plugin* (*)();
  // Runs on a fresh instance; false refuses it.
  using Starter = bool (*)(Plugin*);

  explicit Plugin_Registry(const char* entry_point) : entry_point_(entry_point) {}

  bool create(const std::string& name, const std::string& module_name, bool replace,
              Starter start = nullptr) {
    if (plugins_.exists(name)) {
      if (!replace) {
        error = name + " already exist";
        return false;
      }
      delete plugins_.get(name);  // its module stays loaded
      plugins_.remove(name);
    }
    Dynamic_Module* module = module_load(module_name) ? module_get(module_name) : nullptr;
    if (module == nullptr) {
      error = dynamic_error();
      return false;
    }
    if (!module->_symbol_load(entry_point_)) {
      module_remove(module_name);
      error = dynamic_error();
      return false;
    }
    auto entry = reinterpret_cast<EntryPoint>((*module)[entry_point_]);
    Plugin* plugin = entry != nullptr ? entry() : nullptr;
    if (plugin == nullptr) {
      // An entry point that gives nothing is as useless as a missing one.
      if (entry != nullptr) error = "\"" + entry_point_ + "\" of \"" + module_name + "\" gave no instance";
      else error = dynamic_error();
      unload(module, module_name);
      return false;
    }
    if (start != nullptr && !start(plugin)) {
      // Its code lives in the module: destroy it before unloading.
      delete plugin;
      unload(module, module_name);
      return false;
    }
    error.clear();
    plugins_.add(name, plugin);
    return true;
  }

  bool remove(const std::string& name) {
    error.clear();
    if (!plugins_.exists(name)) return true;
    Plugin* plugin = plugins_.get(name);
    const std::string module_name = plugin->get_module_name();
    plugins_.remove(name);
    if (Dynamic_Module* module = module_get(module_name))
      module->_symbol_remove(entry_point_);
    else
      error = dynamic_error();
    delete plugin;
    // Another name may still hold an instance from the same module: keep its code mapped.
    if (!module_in_use(module_name)) module_remove(module_name);
    return true;
  }

  Plugin* find(const std::string& name) const {
    return plugins_.exists(name) ? plugins_.get(name) : nullptr;
  }

  Storage<std::string, Plugin*>& plugins() { return plugins_; }

  std::string error;

private:
  void unload(Dynamic_Module* module, const std::string& module_name) {
    module->_symbol_remove(entry_point_);
    if (!module_in_use(module_name)) module_remove(module_name);
  }

  bool module_in_use(const std::string& module_name) {
    for (auto& entry : plugins_)
      if (entry.second->get_module_name() == module_name) return true;
    return false;
  }

  const std::string entry_point_;
  Storage<std::string, Plugin*> plugins_;
};
