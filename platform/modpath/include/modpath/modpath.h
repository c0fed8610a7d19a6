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

}  // namespace modpath
