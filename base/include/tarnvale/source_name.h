#pragma once
// Log lines name the source file by its base name: __FILE__ holds whatever path the build
// machine gave the compiler.

namespace tarnvale {

constexpr const char* source_name(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at)
    if (*at == '/') name = at + 1;
  return name;
}

}  // namespace tarnvale

#define TARNVALE_FILE (::tarnvale::source_name(__FILE__))
