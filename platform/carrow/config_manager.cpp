#include "carrow/config.h"

#include <dlfcn.h>

#include <memory>
#include <utility>

#include "modpath/modpath.h"
#include "tarnvale/diagnostics.h"
#include "tarnvale/storage.h"

Config_Features::~Config_Features() = default;
config_functor::~config_functor() = default;
Config_Interface::~Config_Interface() = default;

namespace {

// A dump of a configuration is a progress line each: dropped when the program runs quiet.
class print_pair : public config_functor {
public:
  void operator()(std::string key, std::string value) override {
    tarnvale::Diagnostic line;
    line.severity = tarnvale::Severity::info;
    line.text = key + " = " + value;
    tarnvale::report(line);
  }
};

using config_entry_point = Config_Interface* (*)();

struct named_config {
  std::string plugin;
  std::shared_ptr<Config_Interface> instance;
};

// Process-wide state: plug-ins stay loaded until the process ends, so their handles are kept
// but never closed (instances of a closed plug-in would lose their code).
Storage<std::string, config_entry_point>& plugins() {
  static Storage<std::string, config_entry_point> loaded;
  return loaded;
}

Storage<std::string, named_config>& configs() {
  static Storage<std::string, named_config> named;
  return named;
}

std::string& last_error() {
  static std::string text;
  return text;
}

bool fail(const std::string& text) {
  last_error() = text;
  return false;
}

config_entry_point entry_point_of(const std::string& plugin) {
  if (plugins().exists(plugin)) return plugins().get(plugin);
  void* handle = modpath::open(plugin);
  if (!handle) {
    const char* why = dlerror();
    fail("Can't load config plugin " + plugin + ": " + (why ? why : "unknown error"));
    return nullptr;
  }
  auto entry = reinterpret_cast<config_entry_point>(dlsym(handle, "_get_config_interface"));
  if (!entry) {
    fail("Config plugin " + plugin + " has no _get_config_interface");
    dlclose(handle);
    return nullptr;
  }
  plugins().add(plugin, entry);
  return entry;
}

}  // namespace

void Config_Interface::_print() {
  print_pair printer;
  for_each(printer);
}

Config_Origin Config_Interface::_get_origin(std::string) { return {}; }

bool Config_Interface::_was_asked(std::string) { return true; }

void Config_Interface::for_each_containing(const std::string& part, config_functor& functor) {
  struct Containing : config_functor {
    Containing(const std::string& part, config_functor& functor) : part(part), functor(functor) {}
    void operator()(std::string key, std::string value) override {
      if (key.find(part) != std::string::npos) functor(std::move(key), std::move(value));
    }
    const std::string& part;
    config_functor& functor;
  } containing(part, functor);
  for_each(containing);
}

std::vector<std::pair<std::string, std::string>> config_pairs(Config_Interface& config) {
  struct Collect : config_functor {
    std::vector<std::pair<std::string, std::string>> pairs;
    void operator()(std::string key, std::string value) override {
      pairs.emplace_back(std::move(key), std::move(value));
    }
  } collect;
  config.for_each(collect);
  return std::move(collect.pairs);
}

void config_clear(Config_Interface& config) {
  for (const auto& pair : config_pairs(config)) config.remove_value(pair.first, false);
}

bool config_create(std::string name, std::string plugin, bool flag) {
  try {
    if (configs().exists(name)) {
      const std::string existing = configs().get(name).plugin;
      if (!flag) return fail("Config " + name + " already exists");
      if (existing != plugin)
        return fail("Config " + name + " already exists from plugin " + existing);
      return true;
    }
    config_entry_point entry = entry_point_of(plugin);
    if (!entry) return false;
    Config_Interface* instance = entry();
    if (!instance) return fail("Config plugin " + plugin + " gave no config for " + name);
    configs().add(name, named_config{plugin, std::shared_ptr<Config_Interface>(instance)});
    return true;
  } catch (const std::exception& e) {
    return fail("Can't create config " + name + ": " + e.what());
  }
}

Config_Interface* config_get_interface(std::string name) {
  if (!configs().exists(name)) {
    fail("No config named " + name);
    return nullptr;
  }
  return configs().get(name).instance.get();
}

bool config_remove(std::string name) {
  if (!configs().exists(name)) return fail("No config named " + name);
  configs().remove(name);
  return true;
}

std::string config_error() { return last_error(); }

std::vector<std::string> config_names() {
  std::vector<std::string> names;
  for (const auto& entry : configs()) names.push_back(entry.first);
  return names;
}

void config_set_error(std::string text) { last_error() = std::move(text); }
