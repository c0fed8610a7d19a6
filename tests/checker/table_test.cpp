// The table against the classes: after the checker loaded the shipped data in this process,
// every key a class asked for is in the table, and a key the data leaves out was asked for with
// the table's default.

#include <gtest/gtest.h>

#include <sstream>

#include "carrow/config.h"
#include "check.h"
#include "data_format.h"

namespace {

std::vector<std::pair<std::string, std::string>> pairs_of(Config_Interface* config) {
  struct Collect : config_functor {
    std::vector<std::pair<std::string, std::string>> pairs;
    void operator()(std::string key, std::string value) override { pairs.emplace_back(key, value); }
  } collect;
  config->for_each(collect);
  return collect.pairs;
}

TEST(Table, EveryKeyTheClassesAskForIsThereWithItsDefault) {
  std::ostringstream out, err;
  ASSERT_EQ(check_data_folder(TARNVALE_SOURCE_DIR, out, err), 0) << out.str() << err.str();

  int scenes = 0, keys = 0;
  for (const std::string& name : config_names()) {
    Config_Interface* config = config_get_interface(name);
    // Scene configurations only: the list of objects came from a file.
    if (config->_get_origin("Scene->Objects->Object0->name").line == 0) continue;
    ++scenes;
    const TypeDoc* scene_type = find_type(name == "game" ? "GameScene" : "generic");
    for (const auto& [key, value] : pairs_of(config)) {
      if (!config->_was_asked(key)) continue;
      const TypeDoc* type = scene_type;
      std::string rest = key;
      if (key.rfind("Objects->", 0) == 0) {
        const std::size_t end = key.find("->", 9);
        type = find_type(config->get_value(key.substr(0, end) + "->type", ""));
        rest = key.substr(end + 2);
      }
      ASSERT_NE(type, nullptr) << name << ": " << key;
      const TypeFacts facts = facts_of(*type);
      const KeyDoc* doc = find_key(facts.keys, rest, name);
      ++keys;
      EXPECT_NE(doc, nullptr) << name << ": " << type->name << " asks for " << rest;
      if (doc && config->_get_origin(key).line == 0) {
        EXPECT_EQ(value, doc->fallback) << name << ": the default of " << type->name << " " << rest;
      }
    }
  }
  EXPECT_GE(scenes, 5) << "the shipped scenes and windows";
  EXPECT_GT(keys, 100);
}

}  // namespace
