#include <gtest/gtest.h>

#include "handro/dynamic.h"
#include "scrivet/textrenderer.h"

namespace {

int live_renderers(const char* module) {
  auto f = reinterpret_cast<int (*)()>(module_get(module)->_symbol_get("testing_live_renderers"));
  return f();
}

TEST(TextRendererRegistry, UnknownNamesGiveNullAndLeaveTheText) {
  textrenderer_create("taken", "libtesting_renderer", false);
  textrenderer_create("taken", "libtesting_renderer", false);
  EXPECT_EQ(textrenderer_error(), "taken already exist");
  EXPECT_EQ(textrenderer_get("nothing"), nullptr);
  EXPECT_EQ(textrenderer_error(), "taken already exist");
  textrenderer_remove("taken");
  EXPECT_EQ(textrenderer_version(), "2.0.0");
}

TEST(TextRendererRegistry, FailedInitRegistersNothingAndKeepsTheText) {
  textrenderer_create("fail", "libtesting_absent", false);
  const std::string before = textrenderer_error();
  ASSERT_NE(before.find("Couldn`t load library"), std::string::npos);
  EXPECT_FALSE(textrenderer_create("fail", "libtesting_renderer_failing", false));
  EXPECT_EQ(textrenderer_get("fail"), nullptr);
  EXPECT_EQ(textrenderer_error(), before);
  EXPECT_FALSE(textrenderer_create("fail", "libtesting_module", false));
  EXPECT_EQ(textrenderer_error(), "There is no \"_get_textrenderer\" in \"libtesting_module\"\n");
}

TEST(TextRendererRegistry, ReplaceLeavesOnlyTheNewRenderer) {
  ASSERT_TRUE(textrenderer_create("ttf", "libtesting_renderer", false)) << textrenderer_error();
  Text_Renderer* first = textrenderer_get("ttf");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->get_version(), "testing");
  ASSERT_TRUE(textrenderer_create("ttf", "libtesting_renderer", true));
  EXPECT_EQ(textrenderer_error(), "");
  EXPECT_NE(textrenderer_get("ttf"), nullptr);
  EXPECT_EQ(live_renderers("libtesting_renderer"), 1);
  EXPECT_TRUE(textrenderer_remove("ttf"));
  EXPECT_EQ(textrenderer_get("ttf"), nullptr);
  EXPECT_TRUE(textrenderer_remove("ttf"));
  EXPECT_EQ(textrenderer_error(), "");
}

TEST(TextRendererRegistry, RendererReportingAnotherModuleKeepsItsOwnLoaded) {
  ASSERT_TRUE(textrenderer_create("odd", "libtesting_renderer_elsewhere", false));
  EXPECT_EQ(textrenderer_get("odd")->get_module_name(), "libtesting_elsewhere");
  EXPECT_TRUE(textrenderer_remove("odd"));
  EXPECT_NE(dynamic_error().find("Couldn`t load library \"libtesting_elsewhere\"\n"),
            std::string::npos);
  EXPECT_EQ(textrenderer_error(), dynamic_error());
  // Still loaded, with its instance gone.
  EXPECT_EQ(live_renderers("libtesting_renderer_elsewhere"), 0);
}

}  // namespace
