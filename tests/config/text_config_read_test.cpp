// Reading the text configuration format.
#include <filesystem>

#include "config_fixture.h"

TEST_F(ConfigTest, SectionsNestAndJoinWithArrows) {
  ASSERT_TRUE(load_text(
      "[Scene]\n"
      "  show_mouse_cursor 1\n"
      "\t[Objects]\n"
      "\t\tObject logo\n"
      "\t[/]\n"
      "  after nested\n"
      "[/]\n"
      "[Other] key v [/]\n"));
  EXPECT_EQ(pairs(), (Pairs{{"Scene->show_mouse_cursor", "1"},
                            {"Scene->Objects->Object", "logo"},
                            {"Scene->after", "nested"},
                            {"Other->key", "v [/]"}}));
}

TEST_F(ConfigTest, TextOutsideSectionsAndCommentsAreSkipped) {
  ASSERT_TRUE(load_text(
      "top level words are comment\n"
      "toplevel_key 5\n"
      "[/] surplus closer\n"
      "[S]\n"
      "  // a comment with [brackets]\n"
      "  /* another */ key hidden\n"
      "  url http://host/path // not a comment here\n"
      "[/]\n"));
  EXPECT_EQ(pairs(), (Pairs{{"S->url", "http://host/path // not a comment here"}}));

  // Only comments: success with no pairs.
  ASSERT_TRUE(config_create("comments_only", "libquorra", true));
  Config_Interface* other = config_get_interface("comments_only");
  EXPECT_TRUE(other->load(scratch.write("c.cfg", "# nothing\n// here\n"), &files));
  EXPECT_EQ(other->get_value("S->url", "absent"), "absent");
  config_remove("comments_only");
}

TEST_F(ConfigTest, ValueKeepsItsBytesAfterOneSeparator) {
  ASSERT_TRUE(load_text(
      "[V]\n"
      "two  spaces first\n"
      "tab\ttext\n"
      "crlf trailing space \r\n"
      "crlf_plain v\r\n"
      "empty \n"
      "inner a  b\t c\n"
      "bare\n"
      "last_bare"));
  EXPECT_EQ(pairs(), (Pairs{{"V->two", " spaces first"},
                            {"V->tab", "text"},
                            {"V->crlf", "trailing space "},
                            {"V->crlf_plain", "v"},
                            {"V->empty", ""},
                            {"V->inner", "a  b\t c"},
                            {"V->bare", ""},
                            {"V->last_bare", ""}}));
}

TEST_F(ConfigTest, FirstValueWinsAndLoadsMerge) {
  config->set_value("A->preset", "kept", true);
  ASSERT_TRUE(load_text("[A]\nkey first\nkey second\npreset from_file\n[/]\n[A]\nkey third\nmore x\n[/]"));
  ASSERT_TRUE(load_text("[A]\nkey fourth\nlater y\n[/]"));
  EXPECT_EQ(pairs(), (Pairs{{"A->preset", "kept"}, {"A->key", "first"}, {"A->more", "x"}, {"A->later", "y"}}));
}

TEST_F(ConfigTest, OddBracketsStillOpenSections) {
  ASSERT_TRUE(load_text(
      "[NoClose\nk 1\n[/]\n"
      "[]\nk 2\n[]\ninner 3\n[/]\n[/]\n"
      "[two words]\nk 4\n"));  // the file ends with the section still open
  EXPECT_EQ(pairs(), (Pairs{{"NoClose->k", "1"},
                            {"->k", "2"},
                            {"->->inner", "3"},
                            {"two->words]", ""},
                            {"two->k", "4"}}));
}

TEST_F(ConfigTest, ContentEndsAtFirstNul) {
  const std::string text("[S]\nbefore 1\n\0after 2\n[/]\n", 24);
  ASSERT_TRUE(load_text(text));
  EXPECT_EQ(pairs(), (Pairs{{"S->before", "1"}}));
}

TEST_F(ConfigTest, DeepNestingIsReadWithoutExhaustingTheStack) {
  constexpr int depth = 200000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += "[s]\n";
  text += "deep yes\n";
  ASSERT_TRUE(load_text(text));
  std::string path;
  for (int i = 0; i < depth; ++i) path += "s->";
  EXPECT_EQ(config->get_value(path + "deep", "no"), "yes");
}

TEST_F(ConfigTest, UnreadableFilesFailWithoutChangingAnything) {
  config->set_value("A->b", "1", true);
  EXPECT_FALSE(config->load(scratch.file("missing.cfg"), &files));
  EXPECT_FALSE(config->load(scratch.path(), &files));  // a folder
  EXPECT_FALSE(config->load("in.cfg", nullptr));
  Brannow::FileManager without_factory(1);
  EXPECT_FALSE(config->load(scratch.write("x.cfg", "[A]\nc 2\n[/]"), &without_factory));
  EXPECT_EQ(pairs(), (Pairs{{"A->b", "1"}}));
  // A zero-byte file is a file: success, nothing added.
  EXPECT_TRUE(config->load(scratch.write("empty.cfg", ""), &files));
  EXPECT_EQ(pairs().size(), 1u);
}

// Inputs the fuzzer kept, and any that once broke the reader, still load and save.
TEST_F(ConfigTest, FuzzInputsLoadAndSave) {
  int replayed = 0;
  for (const char* folder : {"corpus", "crashes"}) {
    const std::filesystem::path dir = std::filesystem::path(TARNVALE_SOURCE_DIR) / "tests/fuzz/config" / folder;
    if (!std::filesystem::is_directory(dir)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
      SCOPED_TRACE(entry.path().string());
      ASSERT_TRUE(config_create("replay", "libquorra", false));
      Config_Interface* replay = config_get_interface("replay");
      EXPECT_TRUE(replay->load(entry.path().string(), &files));
      EXPECT_TRUE(replay->save(scratch.file("replay.cfg"), &files));
      config_remove("replay");
      ++replayed;
    }
  }
  EXPECT_GT(replayed, 0);
}

// A checker names the file and line of every key, and tells keys nobody asked for.
TEST_F(ConfigTest, KeysKeepTheirFileAndLine) {
  const std::string first = scratch.write("a.cfg",
                                          "comment line\n"
                                          "[S]\n"
                                          "\n"
                                          "  one 1\r\n"
                                          "  [T] two 2\n"
                                          "  [/]\n"
                                          "  \t\n"
                                          "three\n"
                                          "[/]\n");
  ASSERT_TRUE(config->load(first, &files));
  const std::string second = scratch.write("b.cfg", "[S]\none again\nfour 4\n[/]\n");
  ASSERT_TRUE(config->load(second, &files));

  const auto at = [&](const std::string& key) {
    const Config_Origin origin = config->_get_origin(key);
    return origin.file + ":" + std::to_string(origin.line);
  };
  EXPECT_EQ(at("S->one"), first + ":4");
  EXPECT_EQ(at("S->T->two"), first + ":5");
  EXPECT_EQ(at("S->three"), first + ":8");
  // The first file's value stays, and so does its origin.
  EXPECT_EQ(at("S->four"), second + ":3");
  EXPECT_EQ(config->get_value("S->one", ""), "1");
  EXPECT_EQ(at("S->one"), first + ":4");
  // Defaults and values set by code come from no file.
  config->get_value("S->absent", "d");
  EXPECT_EQ(config->_get_origin("S->absent").line, 0);
  config->set_value("S->three", "3", true);
  EXPECT_EQ(config->_get_origin("S->three").line, 0);

  EXPECT_TRUE(config->_was_asked("S->one"));
  EXPECT_TRUE(config->_was_asked("S->absent"));
  EXPECT_FALSE(config->_was_asked("S->T->two"));
  // Walking every pair is not asking for one.
  pairs();
  EXPECT_FALSE(config->_was_asked("S->four"));
}

// Keys in any order, repeated, and merged between keys already present: the first value wins
// wherever the key falls.
TEST_F(ConfigTest, KeysInAnyOrderLoadAsInOrder) {
  Pairs from_first, expected;
  std::string first = "[S]\n", second = "[S]\n";
  for (int i = 0; i < 300; ++i) {
    const std::string key = "k" + std::to_string((i * 7919) % 211);  // 0 to 210 out of order, some twice
    const std::string value = "v" + std::to_string(i);
    if (i % 2) {
      first += key + " " + value + "\n";
      from_first.emplace("S->" + key, value);
    } else {
      second += key + " " + value + "\n";
      expected.emplace("S->" + key, value);
    }
  }
  // What the first file set stays; the second only adds the keys the first lacked.
  for (const auto& [key, value] : from_first) expected[key] = value;
  ASSERT_TRUE(load_text(first + "[/]\n"));
  ASSERT_TRUE(load_text(second + "[/]\n"));
  EXPECT_EQ(pairs(), expected);
}

// Values set, changed and removed again and again keep their own bytes.
TEST_F(ConfigTest, RepeatedChangesKeepEveryValue) {
  Pairs expected;
  for (int round = 0; round < 4; ++round)
    for (int i = 0; i < 400; ++i) {
      const std::string key = "R->key" + std::to_string(i);
      if ((i + round) % 3 == 0) {
        config->remove_value(key, false);
        expected.erase(key);
      } else {
        const std::string value(static_cast<std::size_t>((i * 37 + round * 101) % 700), static_cast<char>('a' + i % 26));
        config->set_value(key, value, true);
        expected[key] = value;
      }
    }
  EXPECT_EQ(pairs(), expected);
}
