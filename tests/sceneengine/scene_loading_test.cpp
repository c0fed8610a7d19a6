// Scenes read from real files: object order, list ends, bad entries and their log lines,
// replaced names, removal while drawing.

#include <gtest/gtest.h>

#include "scene_kit.h"
#include "voskar/object_from_data.h"

using namespace scene_kit;

namespace {

class SceneLoading : public SceneFixture {
protected:
  Scene* scene_with(const std::string& content, const std::string& stem = "loading") {
    return add_scene(stem, content);
  }
  std::string drawn_by(Scene* scene) {
    EXPECT_TRUE(scene->draw());
    flip();
    return drawn_last_frame();
  }
};

TEST_F(SceneLoading, DrawsByZLevelKeepingFileOrderWithinALevel) {
  Scene* scene = scene_with(scene_file({{"a", 1}, {"b", 0}, {"c", 1}, {"d", -5}},
                                       object_section("a", "Probe") + object_section("b", "Probe") +
                                           object_section("c", "Probe") +
                                           object_section("d", "Probe")));
  ASSERT_TRUE(scene->load_scene());
  EXPECT_TRUE(scene->scene_loaded());
  EXPECT_EQ(scene->get_object_names(), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(drawn_by(scene), "d b a c ");
}

TEST_F(SceneLoading, AMissingEntryEndsTheObjectList) {
  const std::string objects = object_section("a", "Probe") + object_section("b", "Probe") +
                              object_section("d", "Probe");
  Scene* gap = scene_with(
      "[Scene]\n[Objects]\n[Object0]\nname a\n[/]\n[Object1]\nname b\n[/]\n"
      "[Object3]\nname d\n[/]\n[/]\n[/]\n[Objects]\n" + objects + "[/]\n");
  ASSERT_TRUE(gap->load_scene());
  EXPECT_EQ(gap->get_object_names(), (std::vector<std::string>{"a", "b"}));

  Scene* empty = scene_with("[Scene]\n[Objects]\n[Object0]\nz_level 3\n[/]\n[Object1]\nname b\n"
                            "[/]\n[/]\n[/]\n[Objects]\n" + objects + "[/]\n");
  ASSERT_TRUE(empty->load_scene());
  EXPECT_TRUE(empty->get_object_names().empty());
  EXPECT_EQ(drawn_by(empty), "");
}

TEST_F(SceneLoading, UnknownTypeLogsTwoLinesAndKeepsWhatLoadedBefore) {
  Scene* scene = scene_with(
      scene_file({{"first", 0}, {"ghost", 0}, {"after", 0}},
                 object_section("first", "Probe") + object_section("ghost", "Phantom") +
                     object_section("after", "Probe")));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(scene->load_scene());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(masked(err), "SCENE:#: Can't load object\"ghost\" from file \"" +
                            scene->get_storage_file() +
                            "\"\nSCENE:#: No object of type \"Phantom\"\n");
  EXPECT_FALSE(scene->scene_loaded());
  EXPECT_EQ(scene->get_object_names(), std::vector<std::string>{"first"});

  // A section without any type is an unknown (empty) type as well.
  Scene* untyped = scene_with(scene_file({{"bare", 0}}, "\t[bare]\n\t\tz 1\n\t[/]\n"));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(untyped->load_scene());
  EXPECT_NE(testing::internal::GetCapturedStderr().find("No object of type \"\""),
            std::string::npos);
}

TEST_F(SceneLoading, AnObjectThatFailsToLoadIsReportedAndLeavesNoSlotsBehind) {
  const std::string name = unique_name("failing");
  scenes.push_back(make_scene(
      dir, name,
      scene_file({{"bad", 0}}, object_section("bad", "Probe", "\t\t[Probe]\n\t\t\tfail true\n\t\t[/]\n"))));
  testing::internal::CaptureStderr();
  EXPECT_FALSE(scenes.back()->load_scene());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(masked(err), "SCENE:#: Can't load object \"bad\" from file \"" +
                            scenes.back()->get_storage_file() +
                            "\"\nSCENE:#: Error: probe refused to load\n");
  SlotArgs args;
  EXPECT_FALSE(send_signal_to("", &args, name + "->bad->_on_custom"));
  EXPECT_FALSE(send_signal_to("", &args, name + "->bad->_on_activate"));
}

TEST_F(SceneLoading, ARepeatedNameReplacesTheEarlierObjectCompletely) {
  const std::string signals =
      "\t\t[signals]\n\t\t\t[signal0]\n\t\t\t\tconnect on_load\n\t\t\t\tsignal_source Ext\n"
      "\t\t\t\tsignal_name ping\n\t\t\t\tslot_name _on_custom\n\t\t\t[/]\n\t\t[/]\n";
  Scene* scene = scene_with(scene_file({{"twin", 0}, {"other", 1}, {"twin", 2}},
                                       object_section("twin", "Probe", signals) +
                                           object_section("other", "Probe")));
  ASSERT_TRUE(scene->load_scene());
  EXPECT_EQ(scene->get_object_names(), (std::vector<std::string>{"other", "twin"}));
  EXPECT_EQ(drawn_by(scene), "other twin ");

  // Only the surviving object answers; the replaced one is gone from registry and map.
  take_log();
  Signal ping("Ext->ping");
  ping.rise();
  EXPECT_EQ(take_log(), std::vector<std::string>{"twin:_on_custom"});
}

TEST_F(SceneLoading, EnormousAndNonNumericZLevelsStayOrdered) {
  Scene* scene = scene_with(
      "[Scene]\n[Objects]\n"
      "[Object0]\nname huge\nz_level 99999999999999999999\n[/]\n"
      "[Object1]\nname word\nz_level abc\n[/]\n"
      "[Object2]\nname tiny\nz_level -99999999999999999999\n[/]\n"
      "[Object3]\nname one\nz_level 1\n[/]\n[/]\n[/]\n[Objects]\n" +
      object_section("huge", "Probe") + object_section("word", "Probe") +
      object_section("tiny", "Probe") + object_section("one", "Probe") + "[/]\n");
  testing::internal::CaptureStderr();
  ASSERT_TRUE(scene->load_scene());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(drawn_by(scene), "tiny word one huge ");
  EXPECT_NE(err.find("Scene->Objects->Object0->z_level \"99999999999999999999\" is out of range "
                     "-2.14748e+09 to 2.14748e+09; using the nearest end"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("Scene->Objects->Object1->z_level \"abc\" is not a number; using 0"), std::string::npos) << err;
}

TEST_F(SceneLoading, SizeComesFromTheScreenUnlessGivenAndTheCursorFromTheFile) {
  Scene* screen_sized = scene_with(scene_file({}, "", "\tshow_mouse_cursor 0\n"));
  ASSERT_TRUE(screen_sized->load_scene());
  EXPECT_EQ(screen_sized->get_width(), 800);
  EXPECT_EQ(screen_sized->get_height(), 600);
  EXPECT_FALSE(screen_sized->get_mouse_cursor_state());
  drawn_by(screen_sized);
  EXPECT_FALSE(mouse_shown());

  Scene* given = scene_with(scene_file({}, ""));
  given->set_width(320);
  given->set_height(200);
  ASSERT_TRUE(given->load_scene());
  EXPECT_EQ(given->get_width(), 320);
  EXPECT_EQ(given->get_height(), 200);
  EXPECT_TRUE(given->get_mouse_cursor_state());
  drawn_by(given);
  EXPECT_TRUE(mouse_shown());
}

TEST_F(SceneLoading, IncompleteSetUpWarnsAndAMissingVideoFails) {
  Scene* scene = scene_with("");
  scene->set_storage_file("");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(scene->load_scene());
  const std::string err = testing::internal::GetCapturedStderr();
  const std::string file = masked(err).substr(0, masked(err).find(".cpp:") + 5);
  EXPECT_EQ(masked(err), file + "#: Scene wasn't correctly inited!!!\nSCENE:#: Can't load scene \"" +
                            scene->get_name() + "\", going on with an empty one: : No such file or directory\n");
  // The source file by its base name, not the build machine's path.
  EXPECT_EQ(file, "SCENE:#: scene.cpp:");

  Scene* blind = scene_with(scene_file({{"a", 0}}, object_section("a", "Probe")));
  blind->set_video_name("NoSuchVideo");
  testing::internal::CaptureStderr();
  EXPECT_FALSE(blind->load_scene());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(blind->draw());
}

TEST_F(SceneLoading, ObjectsMayRemoveThemselvesAndOthersWhileTheSceneDraws) {
  Scene* scene = scene_with(scene_file(
      {{"a", 0}, {"b", 1}, {"c", 2}, {"d", 3}},
      object_section("a", "Probe", "\t\t[Probe]\n\t\t\tremove_on_draw b\n\t\t[/]\n") +
          object_section("b", "Probe") +
          object_section("c", "Probe", "\t\t[Probe]\n\t\t\tremove_on_draw self\n\t\t[/]\n") +
          object_section("d", "Probe")));
  ASSERT_TRUE(scene->load_scene());
  take_log();
  EXPECT_EQ(drawn_by(scene), "a c d ");
  EXPECT_EQ(scene->get_object_names(), (std::vector<std::string>{"a", "d"}));
  EXPECT_EQ(scene->get_object("b"), nullptr);
  EXPECT_EQ(drawn_by(scene), "a d ");
  EXPECT_FALSE(scene->remove_object("b"));
}

// The nested draw took its own count of removals when it started, after b had gone, and so
// drew b through the cached pointer of the deleted object.
TEST_F(SceneLoading, ADrawNestedAfterARemovalSkipsTheRemovedObject) {
  Scene* scene = scene_with(scene_file(
      {{"a", 0}, {"b", 1}, {"c", 2}},
      object_section("a", "Probe", "\t\t[Probe]\n\t\t\tremove_on_draw b\n\t\t\tnested_draw true\n\t\t[/]\n") +
          object_section("b", "Probe") + object_section("c", "Probe")));
  ASSERT_TRUE(scene->load_scene());
  take_log();
  EXPECT_EQ(drawn_by(scene), "a c ");
  // The inner draw: a, c; then the outer one goes on with c.
  EXPECT_EQ(take_log(), (std::vector<std::string>{"a:draw", "a:draw", "c:draw", "c:draw"}));
  EXPECT_EQ(drawn_by(scene), "a c ");
}

TEST_F(SceneLoading, AddedObjectsJoinTheDrawingOrderAndRemovedOnesReturnToTheCaller) {
  Scene* scene = scene_with(scene_file({{"a", 5}}, object_section("a", "Probe")));
  ASSERT_TRUE(scene->load_scene());
  SceneObject* extra = SceneObjectFabric()["Probe"];
  extra->set_video_name("Video");
  // Loaded from the scene's own configuration under a section of its own name.
  ASSERT_TRUE(extra->load(scene, scene->get_name(), "Objects->a->", scene->get_name(), "extra",
                          files()));
  EXPECT_FALSE(scene->add_object("null", nullptr, 0));
  EXPECT_TRUE(scene->add_object("extra", extra, 1));
  EXPECT_EQ(scene->get_object("extra"), extra);
  EXPECT_EQ(drawn_by(scene), "extra a ");
  // A taken name keeps its object, and the one offered stays with the caller, drawn nowhere.
  SceneObject* twin = SceneObjectFabric()["Probe"];
  EXPECT_FALSE(scene->add_object("a", twin, 0));
  EXPECT_FALSE(scene->add_object("extra", twin, 0));
  delete twin;
  EXPECT_EQ(scene->get_object_names(), (std::vector<std::string>{"a", "extra"}));
  EXPECT_EQ(drawn_by(scene), "extra a ");
  EXPECT_TRUE(scene->remove_object("extra"));
  EXPECT_EQ(drawn_by(scene), "a ");
  delete extra;
}

// The caller's completion stands in for the object's own load; what fails is disposed of, and a
// disposed object leaves its scene and the slot registry.
TEST_F(SceneLoading, ObjectsMadeFromDataAreCompletedOrDisposedOf) {
  Scene* scene = scene_with(scene_file({{"a", 0}}, object_section("a", "Probe") +
                                                       object_section("bad", "Probe", "\t\t[Probe]\n\t\t\tfail true\n\t\t[/]\n")));
  ASSERT_TRUE(scene->load_scene());
  const std::string name = scene->get_name();
  auto origin = [&](const std::string& section, const std::string& object) {
    return ObjectOrigin{scene, "Video", name, "Objects->" + section + "->", name, object, files()};
  };
  SlotArgs args;

  MadeObject ghost = make_object("Phantom", origin("a", "ghost"));
  EXPECT_TRUE(ghost.unknown_type);
  EXPECT_EQ(ghost.error, "No object of type \"Phantom\"");

  MadeObject bad = make_object("Probe", origin("bad", "bad"));
  EXPECT_EQ(bad.object, nullptr);
  EXPECT_FALSE(bad.unknown_type);
  EXPECT_EQ(bad.error, "probe refused to load");
  EXPECT_FALSE(send_signal_to("", &args, name + "->bad->_on_activate"));

  // Of another class than asked for: as an unknown type. A completion that fails after the
  // prologue says so.
  EXPECT_TRUE(make_object_of<Scene>("Probe", origin("a", "other"), [](Scene*) { return true; }).unknown_type);
  MadeObject refused = make_object_of<Probe>("Probe", origin("a", "refused"), [](Probe* probe) {
    probe->_set_error("refused");
    return false;
  });
  EXPECT_TRUE(refused.common_keys_read);
  EXPECT_EQ(refused.error, "refused");

  bool completed = false;
  MadeObject hidden = make_object("Probe", origin("a", "hidden"), [&](SceneObject* object) {
    completed = true;
    object->_set_show(false);
    return true;
  });
  ASSERT_NE(hidden.object, nullptr);
  EXPECT_TRUE(completed);
  EXPECT_FALSE(hidden.object->_get_show());
  EXPECT_EQ(hidden.object->_get__object_name_(), "hidden");
  ASSERT_TRUE(scene->add_object("hidden", hidden.object, 1));
  EXPECT_TRUE(send_signal_to("", &args, name + "->hidden->_on_activate"));
  dispose_object(hidden.object);
  EXPECT_EQ(scene->get_object("hidden"), nullptr);
  EXPECT_FALSE(send_signal_to("", &args, name + "->hidden->_on_activate"));
}

}  // namespace
