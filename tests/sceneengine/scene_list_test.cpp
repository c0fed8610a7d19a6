// The scene list and the run loop on the windowless device: scripted input events become the
// six input signals, scenes switch, unknown names reactivate, "exit" and quit end the loop.

#include <gtest/gtest.h>

#include "scene_kit.h"

using namespace scene_kit;

namespace {

using Lines = std::vector<std::string>;

struct ListEntry {
  std::string name, file, preload, type;
};

std::string scene_list_file(const std::vector<ListEntry>& entries) {
  std::string out = "[Scenes]\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out += "\t[Scene" + std::to_string(i) + "]\n";
    if (!entries[i].name.empty()) out += "\t\tname " + entries[i].name + "\n";
    if (!entries[i].file.empty()) out += "\t\tfile " + entries[i].file + "\n";
    if (!entries[i].preload.empty()) out += "\t\tpreload " + entries[i].preload + "\n";
    if (!entries[i].type.empty()) out += "\t\ttype " + entries[i].type + "\n";
    out += "\t[/]\n";
  }
  return out + "[/]\n";
}

std::string on_load(int index, const std::string& signal, const std::string& slot,
                    const std::string& connect = "on_load") {
  return "\t\t\t[signal" + std::to_string(index) + "]\n\t\t\t\tconnect " + connect +
         "\n\t\t\t\ttype builtin\n\t\t\t\tsignal_source Video\n\t\t\t\tsignal_name " + signal +
         "\n\t\t\t\tslot_name " + slot + "\n\t\t\t[/]\n";
}

std::string probe_with(const std::string& name, const std::string& signals,
                       const std::string& next_scene = "") {
  return object_section(name, "Probe",
                        "\t\t[signals]\n" + signals + "\t\t[/]\n\t\t[Probe]\n\t\t\tnext_scene " +
                            next_scene + "\n\t\t[/]\n");
}

class SceneList : public ::testing::Test {
protected:
  void SetUp() override {
    setup();
    take_log();
    start = frame();
  }
  // Scenes stay with the library; their slots are let go so later tests do not reach them.
  void TearDown() override {
    for (const std::string& name : used)
      if (Scene* scene = get_scene(name)) scene->slot__on_deactivate(nullptr);
  }
  std::string scene(const std::string& stem, const std::string& content) {
    used.push_back(unique_name(stem));
    dir.write(used.back() + ".scn", content);
    return used.back();
  }
  std::string file_of(const std::string& name) { return dir.file(name + ".scn"); }
  bool load_list(const std::vector<ListEntry>& entries) {
    return load_scenes(dir.write("list.scns", scene_list_file(entries)), "Video", files());
  }
  test_support::ScratchDir dir;
  std::vector<std::string> used;
  int start = 0;
};

TEST_F(SceneList, EntriesWithoutTypeOrPreloadMakeGenericScenesLoadedOnFirstUse) {
  const std::string one = scene("plain", scene_file({{"a", 0}}, object_section("a", "Probe")));
  const std::string two = scene("early", scene_file({}, ""));
  ASSERT_TRUE(load_list({{one, file_of(one), "", ""}, {two, file_of(two), "true", "generic"}}));
  ASSERT_NE(get_scene(one), nullptr);
  EXPECT_FALSE(get_scene(one)->scene_loaded());
  EXPECT_TRUE(get_scene(two)->scene_loaded());
  EXPECT_EQ(get_scene(one)->get_name(), one);
  EXPECT_EQ(get_scene("not listed"), nullptr);

  // A later list replaces scenes of the same name and ends at its first nameless entry. The
  // new scene may take the old one's address, so the old one carries a mark instead.
  get_scene(one)->set_x(0.75f);
  ASSERT_TRUE(load_list({{one, file_of(one), "", ""}, {"", file_of(two), "", ""},
                         {"never_" + two, file_of(two), "", ""}}));
  ASSERT_NE(get_scene(one), nullptr);
  EXPECT_EQ(get_scene(one)->get_x(), 0.0f);
  EXPECT_EQ(get_scene("never_" + two), nullptr);
}

TEST_F(SceneList, BadEntriesStopTheListWithTheirMessage) {
  const std::string good = scene("good", scene_file({}, ""));
  const std::string broken =
      scene("broken", scene_file({{"x", 0}}, object_section("x", "NoSuchType")));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(load_list({{good, file_of(good), "", ""}, {"odd", file_of(good), "", "Weird"},
                          {"after_odd", file_of(good), "", ""}}));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Can't create scene of type \"Weird\"\n");
  EXPECT_NE(get_scene(good), nullptr);
  EXPECT_EQ(get_scene("after_odd"), nullptr);

  testing::internal::CaptureStderr();
  EXPECT_FALSE(load_list({{broken, file_of(broken), "true", ""}}));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Can't load scene \"" + broken + "\" from file \"" + file_of(broken) + "\"\n"),
            std::string::npos)
      << err;
}

// The replaced scene's configuration was kept and, its values winning, the new file was ignored.
TEST_F(SceneList, ASceneReplacedByASecondListReadsItsNewFile) {
  const std::string name = unique_name("replaced");
  used.push_back(name);
  const std::string first = dir.write("first.scn", scene_file({}, "", "\tshow_mouse_cursor 0\n"));
  const std::string second = dir.write("second.scn", scene_file({}, "", "\tshow_mouse_cursor 1\n"));
  ASSERT_TRUE(load_list({{name, first, "true", ""}}));
  EXPECT_FALSE(get_scene(name)->get_mouse_cursor_state());
  ASSERT_TRUE(load_list({{name, second, "true", ""}}));
  EXPECT_TRUE(get_scene(name)->get_mouse_cursor_state());
}

// A listed object without its section (or with the section left open) said only
// "No object of type """.
TEST_F(SceneList, AnObjectWithoutItsSectionIsNamedWithItsFile) {
  const std::string broken = scene("unclosed", scene_file({{"lost", 0}}, ""));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(load_list({{broken, file_of(broken), "true", ""}}));
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("No object of type \"\": object \"lost\" has no section \"Objects->lost->type\" in \"" +
                     file_of(broken) + "\" (missing or not closed)"),
            std::string::npos)
      << err;

  testing::internal::CaptureStderr();
  EXPECT_TRUE(load_list({{"absent", dir.file("absent.scn"), "true", ""}}));
  const std::string missing = testing::internal::GetCapturedStderr();
  EXPECT_NE(missing.find("Can't load scene \"absent\", going on with an empty one: " + dir.file("absent.scn") +
                         ": No such file or directory"),
            std::string::npos)
      << missing;
  used.push_back("absent");
}

TEST_F(SceneList, AMissingStartSceneOrVideoEndsTheLoopAtOnce) {
  ASSERT_TRUE(load_list({{"", "", "", ""}}));
  testing::internal::CaptureStderr();
  process_scene("start_nowhere");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "No such scene \"start_nowhere\"\n");
  EXPECT_EQ(frame(), start);

  init("NoDevice");
  testing::internal::CaptureStderr();
  process_scene("start_nowhere");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Unable to get video device:NoDevice\n");
  init("Video");
}

TEST_F(SceneList, InputBecomesSignalsAndScenesSwitchUntilQuit) {
  const std::string one = scene(
      "one", scene_file({{"a", 0}},
                        probe_with("a",
                                   on_load(0, "keyboard_press", "_on_key_press") +
                                       on_load(1, "mouse_release", "_on_mouse_release") +
                                       on_load(2, "character", "_on_custom") +
                                       on_load(3, "keyboard_press", "_on_key_press", "on_request"),
                                   "@two@")));
  const std::string two = scene(
      "two", scene_file({{"b", 0}, {"c", 0}},
                        probe_with("b",
                                   on_load(0, "character", "_on_custom") +
                                       on_load(1, "keyboard_press", "_on_key_press", "on_request"),
                                   "nowhere") +
                            probe_with("c", on_load(0, "keyboard_release", "_on_custom", "on_request"),
                                       one)));
  // The first scene switches to the second, whose name is only known now.
  std::string content = dir.read(one + ".scn");
  content.replace(content.find("@two@"), 5, two);
  dir.write(one + ".scn", content);
  ASSERT_TRUE(load_list({{one, file_of(one), "true", ""}, {two, file_of(two), "", ""}}));
  SceneObject* a = get_scene(one)->get_object("a");

  schedule(start + 1, KEYBOARD_PRESS, 0, 0, 0, 65);
  schedule(start + 1, MOUSE_PRESS, 0.125f, 0.125f, MOUSE_BUTTON_LEFT);
  schedule(start + 1, MOUSE_RELEASE, 0.125f, 0.125f, MOUSE_BUTTON_LEFT);
  schedule(start + 2, CHARACTER, 0, 0, 0, 97);
  schedule(start + 3, CHARACTER, 0, 0, 0, 98);
  schedule(start + 4, KEYBOARD_PRESS, 0, 0, 0, 66);
  schedule(start + 5, KEYBOARD_RELEASE, 0, 0, 0, 66);
  schedule(start + 6, QUIT);
  schedule(start + 6, KEYBOARD_PRESS, 0, 0, 0, 67);
  process_scene(one);

  EXPECT_EQ(frame(), start + 6);
  const Lines expected = {
      "a:draw",                                          // first draw before the loop
      "a:_on_key_press 65",                              // frame 1
      "a:_on_activate",                                  // the press gave a the focus
      "a:_on_mouse_release 0.125 0.125 0.0625 0.0625 1", //
      "a:draw",                                          //
      "a:_on_custom",                                    // frame 2: switch to two
      "b:_on_scene_reinit", "c:_on_scene_reinit",        //
      "b:draw", "c:draw",                                //
      "b:_on_custom",                                    // frame 3: unknown name
      "b:_on_scene_reinit", "c:_on_scene_reinit",        //
      "b:draw", "c:draw",                                //
      "b:_on_key_press 66",                              // frame 4: on request after reinit
      "b:draw", "c:draw",                                //
      "c:_on_custom",                                    // frame 5: back to one
      "a:_on_scene_reinit", "a:draw",                    //
  };                                                     // frame 6: quit, nothing after it
  EXPECT_EQ(take_log(), expected);
  // Switching back did not load the first scene again.
  EXPECT_EQ(get_scene(one)->get_object("a"), a);
  EXPECT_TRUE(get_scene(one)->get_focus() == nullptr || get_scene(one)->get_focus() == a);
}

TEST_F(SceneList, AFreshSwitchMakesTheSceneAnewEvenTheCurrentOne) {
  const std::string only = scene(
      "fresh", scene_file({{"f", 0}}, probe_with("f", on_load(0, "character", "_on_custom"), "@self@")));
  std::string content = dir.read(only + ".scn");
  content.replace(content.find("@self@"), 6, only + "\n\t\t\tfresh true");
  dir.write(only + ".scn", content);
  ASSERT_TRUE(load_list({{only, file_of(only), "true", ""}}));
  // A mark on the scene as it is now: a scene made anew does not carry it.
  get_scene(only)->set_x(0.75f);
  schedule(start + 2, CHARACTER, 0, 0, 0, 120);
  schedule(start + 4, QUIT);
  process_scene(only);
  // The old scene went with its object; a new one was loaded from the same entry and drawn.
  EXPECT_EQ(take_log(), (Lines{"f:draw", "f:draw", "f:_on_custom", "f:_on_scene_reinit", "f:draw", "f:draw"}));
  Scene* second = get_scene(only);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->get_x(), 0.0f);
  EXPECT_TRUE(second->scene_loaded());
  EXPECT_NE(second->get_object("f"), nullptr);
}

TEST_F(SceneList, ExitAsNextSceneEndsAfterThatCyclesEvents) {
  const std::string only = scene(
      "exit", scene_file({{"e", 0}}, probe_with("e", on_load(0, "character", "_on_custom"), "exit")));
  ASSERT_TRUE(load_list({{only, file_of(only), "", ""}}));
  const long taken = events_taken();
  schedule(start + 2, CHARACTER, 0, 0, 0, 120);
  schedule(start + 2, KEYBOARD_PRESS, 0, 0, 0, 65);
  process_scene(only);
  EXPECT_EQ(frame(), start + 2);
  // Each cycle polls exactly 1000 times, however few events there are.
  EXPECT_EQ(events_taken() - taken, 2000);
  EXPECT_EQ(take_log(), (Lines{"e:draw", "e:draw", "e:_on_custom"}));
  EXPECT_TRUE(get_scene(only)->scene_loaded());
}

}  // namespace
