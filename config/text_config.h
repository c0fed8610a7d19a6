#pragma once
// The text configuration format: sections in brackets, "key value" lines, "[/]" closes.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "carrow/config.h"
#include "tarnvale/storage.h"

class Text_Config_Features : public Config_Features {
public:
  bool can_load() override { return true; }
  bool can_save() override { return true; }
};

class Text_Config : public Config_Interface {
public:
  Config_Features* get_features() override;
  std::string get_type_name() override;
  std::string get_value(std::string key, std::string default_value) override;
  bool set_value(std::string key, std::string value, bool overwrite) override;
  bool remove_value(std::string key, bool flag) override;
  void for_each(config_functor& functor) override;
  bool save(const std::string& file, Brannow::FileManager* manager) override;
  bool load(const std::string& file, Brannow::FileManager* manager) override;
  Config_Origin _get_origin(std::string key) override;
  bool _was_asked(std::string key) override;

  // Adds the pairs of text in the file format; exposed for loading from memory. Keys it adds
  // remember the file name and their line.
  void read_text(const char* begin, const char* end, const std::string& file = std::string());
  // The whole configuration in the file format, handed out in pieces.
  void write_text(const std::function<void(const std::string&)>& sink) const;

private:
  struct Origin {
    std::size_t file;  // index into files_
    long line;
  };
  Storage<std::string, std::string> storage_;
  // Only keys read from a file have an origin.
  std::map<std::string, Origin> origins_;
  std::vector<std::string> files_;
  std::set<std::string> asked_;
};

extern "C" Config_Interface* _get_config_interface();
