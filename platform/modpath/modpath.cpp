#include "modpath/modpath.h"

#include <dlfcn.h>
#include <unistd.h>

namespace modpath {
namespace {

std::string own_folder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&own_folder), &info) == 0 || info.dli_fname == nullptr)
    return {};
  std::string path = info.dli_fname;
  auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string resolve(const std::string& bare_name) {
  if (bare_name.empty() || bare_name.find('/') != std::string::npos ||
      ends_with(bare_name, ".so") || bare_name.find(".so.") != std::string::npos)
    return bare_name;
  const std::string file = bare_name + ".so";
  const std::string folder = own_folder();
  if (!folder.empty()) {
    // Beside this library, or in ../lib when this code sits in a program under bin/.
    for (const std::string& candidate : {folder + file, folder + "../lib/" + file})
      if (access(candidate.c_str(), R_OK) == 0) return candidate;
  }
  return file;
}

void* open(const std::string& bare_name) {
  if (bare_name.empty()) return nullptr;
  return dlopen(resolve(bare_name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* entry_point(const std::string& bare_name, const char* symbol, const std::string& what,
                  std::string* error) {
  void* module = open(bare_name);
  if (module == nullptr) {
    const char* why = dlerror();
    *error = "Can't load " + what + " " + bare_name + ": " + (why ? why : "unknown reason");
    return nullptr;
  }
  void* entry = dlsym(module, symbol);
  if (entry == nullptr) *error = std::string("No ") + symbol + " in " + bare_name;
  return entry;
}

}  // namespace modpath
