#pragma once
// The text configuration format: sections in brackets, "key value" lines, "[/]" closes.

#include <cstdint>
#include <functional>
#include <map>
#include <memory_resource>
#include <string>
#include <string_view>
#include <vector>

#include "carrow/config.h"
#include "entry_arena.h"

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
  void for_each_containing(const std::string& part, config_functor& functor) override;
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
  // A value with where it was read from (line 0: set or defaulted by code) and whether
  // get_value asked for it.
  struct Entry {
    Entry(std::string_view text, std::uint32_t file_index, long line_number, Entry_Arena* arena);
    std::pmr::string value;
    std::uint32_t file;  // index into files_
    std::uint32_t line : 31;
    std::uint32_t asked : 1;
  };
  // Ordered by bytes; looked up with any string type without a copy.
  struct Key_Order {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a < b; }
  };
  using Entries = std::pmr::map<std::pmr::string, Entry, Key_Order>;

  // Calls the functor for each pair whose key `wanted` takes, on copies made first: the functor
  // may change this configuration while it is being walked; room for `expected` copies is made
  // at once.
  template <typename Wanted>
  void walk_copies(Wanted wanted, std::size_t expected, config_functor& functor);
  // Whether the entry at a lower bound is the key's own.
  bool holds(Entries::const_iterator at, std::string_view key) const;
  Entries::iterator add(std::string_view key, Entries::iterator hint, std::string_view value,
                        std::uint32_t file_index, long line);

  Entry_Arena arena_;  // declared first: outlives the entries it holds
  Entries entries_{&arena_};
  std::vector<std::string> files_;
};

extern "C" Config_Interface* _get_config_interface();
