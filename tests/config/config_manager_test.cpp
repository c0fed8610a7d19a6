// The configuration manager: named configurations made by plug-ins loaded by name.
#include "config_fixture.h"

TEST(ConfigManager, CreateGetAndRemove) {
  EXPECT_EQ(config_get_interface("Managed"), nullptr);
  EXPECT_NE(config_error().find("Managed"), std::string::npos);
  ASSERT_TRUE(config_create("Managed", "libquorra", false)) << config_error();
  Config_Interface* first = config_get_interface("Managed");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->get_type_name(), "TextConfig");
  EXPECT_EQ(config_names(), std::vector<std::string>{"Managed"});
  EXPECT_TRUE(config_remove("Managed"));
  EXPECT_TRUE(config_names().empty());
  EXPECT_EQ(config_get_interface("Managed"), nullptr);
  EXPECT_FALSE(config_remove("Managed"));
}

TEST(ConfigManager, SecondCreateKeepsTheFilledConfigOnlyWithFlag) {
  ASSERT_TRUE(config_create("Twice", "libquorra", true));
  Config_Interface* first = config_get_interface("Twice");
  first->set_value("S->k", "loaded", true);

  EXPECT_TRUE(config_create("Twice", "libquorra", true));
  EXPECT_EQ(config_get_interface("Twice"), first);
  EXPECT_EQ(first->get_value("S->k", ""), "loaded");

  EXPECT_FALSE(config_create("Twice", "libquorra", false));
  EXPECT_NE(config_error().find("Twice"), std::string::npos);
  EXPECT_EQ(config_get_interface("Twice"), first);

  EXPECT_FALSE(config_create("Twice", "libother", true));
  EXPECT_EQ(config_get_interface("Twice"), first);
  config_remove("Twice");
}

TEST(ConfigManager, BadPluginsFailWithAReason) {
  EXPECT_FALSE(config_create("Nowhere", "libno_such_plugin", true));
  EXPECT_NE(config_error().find("libno_such_plugin"), std::string::npos);
  // A real library that is not a configuration plug-in.
  EXPECT_FALSE(config_create("Nowhere", "libbrannow", true));
  EXPECT_NE(config_error().find("_get_config_interface"), std::string::npos);
  EXPECT_FALSE(config_create("Nowhere", "", true));
  EXPECT_EQ(config_get_interface("Nowhere"), nullptr);
}

TEST(ConfigManager, PrintListsEveryPair) {
  ASSERT_TRUE(config_create("Printed", "libquorra", true));
  Config_Interface* config = config_get_interface("Printed");
  config->set_value("Level->width", "10", false);
  config->set_value("Level->Row0->cells", "1 2 3", false);
  ::testing::internal::CaptureStdout();
  config->_print();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Level->Row0->cells = 1 2 3\nLevel->width = 10\n");
  config_remove("Printed");
}
