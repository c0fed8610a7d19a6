// Writing the text configuration format, and the value operations it writes out.
#include "config_fixture.h"

TEST_F(ConfigTest, SavesNestedSectionsWithTabs) {
  config->set_value("Scene->Objects->Object", "logo", false);
  config->set_value("Scene->show_mouse_cursor", "1", false);
  EXPECT_EQ(saved_text(),
            "[Scene]\n"
            "\t[Objects]\n"
            "\t\tObject logo\n"
            "\t[/]\n"
            "\tshow_mouse_cursor 1\n"
            "[/]\n");
}

TEST_F(ConfigTest, SavesSiblingsAndClosesSeveralLevels) {
  config->set_value("A->B->C->k", "1", false);
  config->set_value("A->B->x", "2", false);
  config->set_value("A->D->y", "3", false);
  config->set_value("E->z", "4", false);
  EXPECT_EQ(saved_text(),
            "[A]\n\t[B]\n\t\t[C]\n\t\t\tk 1\n\t\t[/]\n\t\tx 2\n\t[/]\n"
            "\t[D]\n\t\ty 3\n\t[/]\n[/]\n[E]\n\tz 4\n[/]\n");
}

TEST_F(ConfigTest, ListProbeDefaultIsStoredAndSaved) {
  EXPECT_EQ(config->get_value("Scenes->Scene" + std::to_string(3) + "->name", ""), "");
  EXPECT_EQ(config->get_value("Scenes->Scene3->name", "other"), "");
  EXPECT_EQ(saved_text(), "[Scenes]\n\t[Scene3]\n\t\tname \n\t[/]\n[/]\n");
}

TEST_F(ConfigTest, ValueOperations) {
  EXPECT_EQ(config->get_value("K->a", "first"), "first");
  EXPECT_EQ(config->get_value("K->a", "second"), "first");
  EXPECT_FALSE(config->set_value("K->a", "new", false));
  EXPECT_EQ(config->get_value("K->a", ""), "first");
  EXPECT_TRUE(config->set_value("K->a", "new", true));
  EXPECT_EQ(config->get_value("K->a", ""), "new");
  EXPECT_TRUE(config->remove_value("K->a", false));
  EXPECT_TRUE(config->remove_value("K->a", true));
  EXPECT_EQ(config->get_value("K->a", "again"), "again");
  EXPECT_EQ(config->get_type_name(), "TextConfig");
  ASSERT_NE(config->get_features(), nullptr);
  EXPECT_TRUE(config->get_features()->can_load());
  EXPECT_TRUE(config->get_features()->can_save());
}

TEST_F(ConfigTest, ForEachWalksUnsignedByteOrder) {
  for (const char* key : {"S->\xc3\xa9", "S->b", "S->B", "S->ab", "S->a"}) config->set_value(key, "v", false);
  struct order : config_functor {
    std::string seen;
    void operator()(std::string key, std::string) override { seen += key.substr(3) + ","; }
  } walk;
  config->for_each(walk);
  EXPECT_EQ(walk.seen, "B,a,ab,b,\xc3\xa9,");
  walk.seen.clear();
  config->for_each_containing("a", walk);  // only the pairs holding it, in the same order
  EXPECT_EQ(walk.seen, "a,ab,");
}

// A functor may change the configuration it walks (a style copied into itself, say).
TEST_F(ConfigTest, ForEachSurvivesChangesFromTheFunctor) {
  for (const char* key : {"S->a", "S->b", "S->c"}) config->set_value(key, "v", false);
  struct changer : config_functor {
    Config_Interface* target;
    std::string seen;
    void operator()(std::string key, std::string value) override {
      seen += key + "=" + value + ",";
      target->set_value(key, "changed", true);
      target->remove_value("S->c", false);
      target->set_value("S->" + key, "added", false);
    }
  } walk;
  walk.target = config;
  config->for_each(walk);
  EXPECT_EQ(walk.seen, "S->a=v,S->b=v,S->c=v,");
  EXPECT_EQ(config->get_value("S->b", ""), "changed");
}

// What was read comes back unchanged after a save and a fresh load.
TEST_F(ConfigTest, RoundTripKeepsEveryReadablePair) {
  const Pairs original{{"A->x", "  spaced  "}, {"A->->y", "empty section"}, {"->z", "top empty"},
                       {"A->x->deeper", "prefix and value"}, {"A->x->deeper->more", "3"},
                       {"Fonts->Font0->name", "DejaVu"}, {"Fonts->Font1->name", ""},
                       {"B->c", "text [with] /slashes // and [/] inside"}, {"B->tab", "a\tb"}};
  for (const auto& [key, value] : original) config->set_value(key, value, false);
  const std::string text = saved_text();
  ASSERT_TRUE(config_create("reread", "libquorra", false));
  Config_Interface* reread = config_get_interface("reread");
  ASSERT_TRUE(reread->load(scratch.file("out.cfg"), &files));
  EXPECT_EQ(pairs(reread), original) << text;
  config_remove("reread");
}

TEST_F(ConfigTest, TopLevelKeyIsWrittenButNotReadBack) {
  config->set_value("loose", "1", false);
  config->set_value("S->k", "2", false);
  EXPECT_EQ(saved_text(), "[S]\n\tk 2\n[/]\nloose 1\n");
  config->remove_value("loose", false);
  config->remove_value("S->k", false);
  ASSERT_TRUE(config->load(scratch.file("out.cfg"), &files));
  EXPECT_EQ(pairs(), (Pairs{{"S->k", "2"}}));
}

// A file whose writes fail must not be reported as saved.
TEST_F(ConfigTest, SaveFailsWhenTheFileCannotBeWritten) {
  config->set_value("S->k", "v", false);
  EXPECT_FALSE(config->save(scratch.file("no/such/folder/out.cfg"), &files));
  EXPECT_FALSE(config->save(scratch.file("x.cfg"), nullptr));

  struct refusing_file : Brannow::File {
    const char* get_content() const override { return ""; }
    std::size_t get_size() const override { return 0; }
    bool write(const void*, std::size_t) override { return false; }
  };
  Brannow::FileManager refusing(1);
  refusing.register_brannow([](const std::string&, Brannow::READ_MODE) { return new refusing_file; });
  EXPECT_FALSE(config->save("any", &refusing));

  // A full disk takes the small file into the buffer and refuses it at the flush.
  EXPECT_FALSE(config->save("/dev/full", &files));
  EXPECT_EQ(config_error(), "/dev/full: No space left on device");
}

TEST_F(ConfigTest, LoadFailuresNameTheFileAndTheReason) {
  EXPECT_FALSE(config->load(scratch.file("absent.cfg"), &files));
  EXPECT_EQ(config_error(), scratch.file("absent.cfg") + ": No such file or directory");
  EXPECT_FALSE(config->load(scratch.path(), &files));
  EXPECT_EQ(config_error(), scratch.path() + ": Is a directory");
  EXPECT_FALSE(config->load("x.cfg", nullptr));
  EXPECT_EQ(config_error(), "x.cfg: no file manager");
}
