#pragma once
// Named configurations. Each is a Config_Interface made by a configuration plug-in that is
// loaded by bare name ("libquorra") and bound through its export _get_config_interface.
// Every value is text under a key path: section names and the key joined by "->".

#include <string>
#include <utility>
#include <vector>

#include "brannow/brannow.h"

// What a configuration implementation can do.
class Config_Features {
public:
  // load() reads files of the implementation's format.
  virtual bool can_load() = 0;
  // save() writes files that load() reads back.
  virtual bool can_save() = 0;
  virtual ~Config_Features();
};

// Visitor for Config_Interface::for_each: called once per (key path, value) pair.
class config_functor {
public:
  virtual void operator()(std::string key, std::string value) = 0;
  virtual ~config_functor();
};

// Where a key's value came from: the file given to load() and its line, counted from 1.
// Line 0 for a key that was set or defaulted rather than read from a file.
struct Config_Origin {
  std::string file;
  long line = 0;
};

class Config_Interface {
public:
  // Shared, never freed by the caller.
  virtual Config_Features* get_features() = 0;
  virtual std::string get_type_name() = 0;
  // The value under the key path; when absent, stores and returns default_value.
  virtual std::string get_value(std::string key, std::string default_value) = 0;
  // Adds the pair; a present key is replaced only with overwrite (false otherwise).
  virtual bool set_value(std::string key, std::string value, bool overwrite) = 0;
  // Erases the pair if present; always true. The flag is not used.
  virtual bool remove_value(std::string key, bool flag) = 0;
  // Calls the functor for every pair in key order.
  virtual void for_each(config_functor& functor) = 0;
  // false when the file manager cannot open the file (config_error() names the file and why).
  virtual bool save(const std::string& file, Brannow::FileManager* manager) = 0;
  // Merges the file's pairs in; values already present stay. false when the file cannot be opened
  // (config_error() names the file and why).
  virtual bool load(const std::string& file, Brannow::FileManager* manager) = 0;
  // Writes every pair to standard output, one "key path = value" line each.
  virtual void _print();
  // For checking data: where the key was read from, and whether get_value asked for it since.
  // Implementations that do not keep track answer line 0 and true.
  virtual Config_Origin _get_origin(std::string key);
  virtual bool _was_asked(std::string key);
  // for_each for the pairs whose key path holds `part` anywhere, the others left out: a style's
  // few pairs out of a whole scene. This base walks them all; an implementation may skip sooner.
  virtual void for_each_containing(const std::string& part, config_functor& functor);
  virtual ~Config_Interface();
};

// Plain functions with undecorated names; strings pass by value as everywhere in the engine.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif
extern "C" {

// Creates the configuration `name` from a new instance of the plug-in `plugin`.
// When `name` exists already: with flag true the existing configuration (and everything
// loaded into it) is kept and the call succeeds, provided it came from the same plug-in;
// with flag false the call fails and leaves the existing one alone (config_remove it first
// to start afresh). false also when the plug-in cannot be loaded; see config_error().
bool config_create(std::string name, std::string plugin, bool flag);

// The configuration `name`, or null (with config_error() saying why).
Config_Interface* config_get_interface(std::string name);

// Destroys the configuration `name`; false when there was none.
bool config_remove(std::string name);

// The text of the last failure.
std::string config_error();

// The names of every configuration, in name order.
std::vector<std::string> config_names();

// Sets the text config_error() answers: configuration plug-ins say why a load or save failed.
void config_set_error(std::string text);

}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif

// Every (key path, value) pair of the configuration, in key order.
std::vector<std::pair<std::string, std::string>> config_pairs(Config_Interface& config);
// Removes every pair of the configuration.
void config_clear(Config_Interface& config);
