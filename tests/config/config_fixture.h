#pragma once
// A configuration made through the manager from the real plug-in, and files in a scratch folder.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "brannow/brannow.h"
#include "carrow/config.h"
#include "scratch.h"

class ConfigTest : public ::testing::Test {
protected:
  ConfigTest() { files.register_brannow(Brannow::CreatePosixFile); }
  void SetUp() override {
    name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(config_create(name, "libquorra", true)) << config_error();
    config = config_get_interface(name);
    ASSERT_NE(config, nullptr);
  }
  void TearDown() override { config_remove(name); }

  // Loads text as a file into the configuration.
  bool load_text(const std::string& text) {
    return config->load(scratch.write("in.cfg", text), &files);
  }
  std::string saved_text() {
    EXPECT_TRUE(config->save(scratch.file("out.cfg"), &files));
    return scratch.read("out.cfg");
  }
  // Every pair of the configuration (this test's own by default).
  std::map<std::string, std::string> pairs(Config_Interface* of = nullptr) {
    struct collect : config_functor {
      std::map<std::string, std::string> seen;
      void operator()(std::string key, std::string value) override { seen.emplace(key, value); }
    } collector;
    (of ? of : config)->for_each(collector);
    return collector.seen;
  }

  Brannow::FileManager files{100};
  test_support::ScratchDir scratch;
  std::string name;
  Config_Interface* config = nullptr;
};

using Pairs = std::map<std::string, std::string>;
