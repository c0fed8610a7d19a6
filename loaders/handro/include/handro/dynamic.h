#pragma once
// Loads shared libraries by bare name ("libquorra"), once each, and caches their symbols.
// Failures are told by the result and dynamic_error(); nothing is printed.

#include <map>
#include <string>

class Dynamic_Module;

// Plain (undecorated) names; strings by value.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
extern "C" {

// true when loaded now or before; appends "Couldn`t load library \"<name>\"\n" to the error
// text on failure.
bool module_load(std::string name);
// The loaded module (loading it on demand), owned by the loader; null on failure.
Dynamic_Module* module_get(std::string name);
// Unloads and forgets the module; any pointer to it is invalid afterwards. Always true.
bool module_remove(std::string name);
// The name under which the loaded module holding `address` (a function or object of that
// library) was loaded; empty when no loaded module holds it. Lets a plug-in tell its own name.
std::string module_get_name_of(const void* address);
std::string dynamic_error();
std::string dynamic_version();
}  // extern "C"
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

class Dynamic_Module {
public:
  Dynamic_Module(const Dynamic_Module& other);
  Dynamic_Module& operator=(const Dynamic_Module& other);
  // Empties the cache; the library stays loaded (module_remove unloads it).
  ~Dynamic_Module();

  // true at once when cached; otherwise looks the symbol up, caches it and clears the error
  // text, or sets the error text and answers false.
  bool _symbol_load(std::string symbol);
  // The symbol's address, loading it on demand; null when there is none.
  void* _symbol_get(std::string symbol);
  void* operator[](std::string symbol);
  // Drops a cached symbol; false when it was not cached.
  bool _symbol_remove(std::string symbol);

  const std::string& _module_get_name() const;
  void* _module_get() const;

private:
  friend bool module_load(std::string name);
  Dynamic_Module(void* handle, std::string name);

  void* handle_;
  std::string name_;
  std::map<std::string, void*> symbols_;
};
