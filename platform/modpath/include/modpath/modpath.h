#pragma once
#include <string>

namespace modpath {

// The file a bare library name ("libquorra") stands for: "<dir>/libquorra.so", where <dir> is the
// folder of the library this code is linked into, when that file exists there; otherwise the name
// with the suffix alone, left to the system's search order. Names that already carry a slash or a
// ".so" suffix are returned unchanged.
std::string resolve(const std::string& bare_name);

// dlopen of resolve(bare_name) with RTLD_NOW | RTLD_LOCAL; null on failure.
void* open(const std::string& bare_name);

// The plug-in's exported `symbol`, the plug-in opened as open() does; null with *error saying
// "Can't load <what> <bare_name>: <why>" or "No <symbol> in <bare_name>".
void* entry_point(const std::string& bare_name, const char* symbol, const std::string& what,
                  std::string* error);

// An instance from the plug-in's entry point `Instance* symbol(const std::string*, int)`; null
// with *error set when the plug-in or its entry point is missing, or when the entry point gives
// nothing or throws ("Driver <bare_name> refused to create a <made>"). No exception leaves it.
template <class Instance>
Instance* make_from_entry_point(const std::string& bare_name, const char* symbol,
                                const std::string& what, const std::string& made,
                                const std::string* params, int count, std::string* error) {
  using Entry = Instance* (*)(const std::string*, int);
  auto entry = reinterpret_cast<Entry>(entry_point(bare_name, symbol, what, error));
  if (entry == nullptr) return nullptr;
  Instance* instance = nullptr;
  try {
    instance = entry(params, count);
  } catch (...) {
    instance = nullptr;
  }
  if (instance == nullptr) *error = "Driver " + bare_name + " refused to create a " + made;
  return instance;
}

}  // namespace modpath
