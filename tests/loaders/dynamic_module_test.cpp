#include <gtest/gtest.h>

#include "handro/dynamic.h"

namespace {

using IntFunction = int (*)();

int call(Dynamic_Module* module, const char* symbol) {
  auto f = reinterpret_cast<IntFunction>(module->_symbol_get(symbol));
  return f != nullptr ? f() : -1;
}

// Succeeds a symbol lookup, which empties the error text.
void clear_error() {
  ASSERT_TRUE(module_get("libtesting_module")->_symbol_load("testing_answer"));
  ASSERT_EQ(dynamic_error(), "");
}

TEST(DynamicModule, LoadsOnceAndCachesSymbols) {
  ASSERT_TRUE(module_load("libtesting_module")) << dynamic_error();
  ASSERT_TRUE(module_load("libtesting_module"));
  Dynamic_Module* module = module_get("libtesting_module");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module, module_get("libtesting_module"));
  EXPECT_EQ(module->_module_get_name(), "libtesting_module");
  EXPECT_NE(module->_module_get(), nullptr);
  EXPECT_EQ(call(module, "testing_answer"), 42);
  EXPECT_EQ((*module)["testing_answer"], module->_symbol_get("testing_answer"));
  EXPECT_TRUE(module->_symbol_remove("testing_answer"));
  EXPECT_FALSE(module->_symbol_remove("testing_answer"));
  EXPECT_EQ(call(module, "testing_answer"), 42);  // looked up again
  EXPECT_EQ(dynamic_version(), "2.0.0");
}

TEST(DynamicModule, LoadFailuresAccumulateAndSymbolLookupResetsTheText) {
  clear_error();
  EXPECT_FALSE(module_load("libtesting_absent"));
  EXPECT_EQ(module_get("libtesting_absent_too"), nullptr);
  EXPECT_EQ(dynamic_error(),
            "Couldn`t load library \"libtesting_absent\"\n"
            "Couldn`t load library \"libtesting_absent_too\"\n");
  Dynamic_Module* module = module_get("libtesting_module");
  EXPECT_EQ(module->_symbol_get("testing_missing"), nullptr);
  EXPECT_EQ(dynamic_error(), "There is no \"testing_missing\" in \"libtesting_module\"\n");
  // A cached symbol does not touch the text.
  module->_symbol_load("testing_answer");
  EXPECT_FALSE(module->_symbol_load("testing_missing"));
  EXPECT_TRUE(module->_symbol_load("testing_answer"));
  EXPECT_EQ(dynamic_error(), "There is no \"testing_missing\" in \"libtesting_module\"\n");
  EXPECT_FALSE(module_load(""));
}

TEST(DynamicModule, NamesOfTheSameFileAreDifferentEntries) {
  const std::string path = TARNVALE_BINARY_DIR "/lib/libtesting_module.so";
  Dynamic_Module* bare = module_get("libtesting_module");
  Dynamic_Module* suffixed = module_get(path);
  ASSERT_NE(suffixed, nullptr) << dynamic_error();
  EXPECT_NE(bare, suffixed);
  EXPECT_EQ(suffixed->_module_get_name(), path);
  EXPECT_TRUE(module_remove(path));
  EXPECT_EQ(call(module_get("libtesting_module"), "testing_answer"), 42);
}

TEST(DynamicModule, RemoveUnloadsAndAFreshGetLoadsAgain) {
  Dynamic_Module* module = module_get("libtesting_module");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(call(module, "testing_count_calls"), 1);
  EXPECT_EQ(call(module, "testing_count_calls"), 2);
  EXPECT_TRUE(module_remove("libtesting_module"));
  EXPECT_TRUE(module_remove("libtesting_module"));  // not loaded: harmless
  module = module_get("libtesting_module");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(call(module, "testing_count_calls"), 1);  // its state started over
}

TEST(DynamicModule, CopiesShareTheLibrary) {
  Dynamic_Module* module = module_get("libtesting_module");
  Dynamic_Module copy(*module);
  EXPECT_EQ(copy._module_get(), module->_module_get());
  EXPECT_EQ(call(&copy, "testing_answer"), 42);
  EXPECT_EQ(module_get_name_of(copy._symbol_get("testing_answer")), "libtesting_module");
  EXPECT_EQ(module_get_name_of(reinterpret_cast<void*>(&clear_error)), "");
  EXPECT_EQ(module_get_name_of(nullptr), "");
}

}  // namespace
