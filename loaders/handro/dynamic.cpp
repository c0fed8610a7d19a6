#include "handro/dynamic.h"

#include <dlfcn.h>

#include <map>
#include <memory>
#include <utility>

#include "modpath/modpath.h"

namespace {

struct LoaderState {
  std::map<std::string, std::unique_ptr<Dynamic_Module>> modules;
  std::string error;
};

// Never destroyed: plug-ins stay loaded until the process ends.
LoaderState& state() {
  static LoaderState* s = new LoaderState;
  return *s;
}

}  // namespace

Dynamic_Module::Dynamic_Module(void* handle, std::string name)
    : handle_(handle), name_(std::move(name)) {}
Dynamic_Module::Dynamic_Module(const Dynamic_Module& other) = default;
Dynamic_Module& Dynamic_Module::operator=(const Dynamic_Module& other) = default;
Dynamic_Module::~Dynamic_Module() = default;

bool Dynamic_Module::_symbol_load(std::string symbol) {
  if (symbols_.count(symbol) != 0) return true;
  void* address = handle_ != nullptr ? dlsym(handle_, symbol.c_str()) : nullptr;
  if (address == nullptr) {
    state().error = "There is no \"" + symbol + "\" in \"" + name_ + "\"\n";
    return false;
  }
  state().error.clear();
  symbols_.emplace(std::move(symbol), address);
  return true;
}

void* Dynamic_Module::_symbol_get(std::string symbol) {
  if (!_symbol_load(symbol)) return nullptr;
  return symbols_[symbol];
}

void* Dynamic_Module::operator[](std::string symbol) { return _symbol_get(std::move(symbol)); }

bool Dynamic_Module::_symbol_remove(std::string symbol) { return symbols_.erase(symbol) != 0; }

const std::string& Dynamic_Module::_module_get_name() const { return name_; }

void* Dynamic_Module::_module_get() const { return handle_; }

bool module_load(std::string name) {
  LoaderState& s = state();
  if (s.modules.count(name) != 0) return true;
  void* handle = modpath::open(name);
  if (handle == nullptr) {
    s.error += "Couldn`t load library \"" + name + "\"\n";
    return false;
  }
  try {
    std::unique_ptr<Dynamic_Module> module(new Dynamic_Module(handle, name));
    s.modules.emplace(std::move(name), std::move(module));
  } catch (...) {
    dlclose(handle);
    return false;
  }
  return true;
}

Dynamic_Module* module_get(std::string name) {
  if (!module_load(name)) return nullptr;
  return state().modules[name].get();
}

bool module_remove(std::string name) {
  auto& modules = state().modules;
  auto entry = modules.find(name);
  if (entry == modules.end()) return true;
  void* handle = entry->second->_module_get();
  modules.erase(entry);
  dlclose(handle);
  return true;
}

std::string module_get_name_of(const void* address) {
  Dl_info info{};
  if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) return {};
  // Adds no reference when the library is loaded; answers null otherwise.
  void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return {};
  dlclose(handle);
  for (const auto& entry : state().modules)
    if (entry.second->_module_get() == handle) return entry.first;
  return {};
}

std::string dynamic_error() { return state().error; }

std::string dynamic_version() { return "2.0.0"; }
