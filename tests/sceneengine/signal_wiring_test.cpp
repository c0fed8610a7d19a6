// Connections declared in scene files and when they are made and broken: load, reinit, focus
// changes, removal, deactivation and reactivation.

#include <gtest/gtest.h>

#include "scene_kit.h"

using namespace scene_kit;

namespace {

std::string declaration(int index, const std::string& keys) {
  return "\t\t\t[signal" + std::to_string(index) + "]\n" + keys + "\t\t\t[/]\n";
}

std::string declare(const std::string& connect, const std::string& type, const std::string& source,
                    const std::string& signal, const std::string& slot) {
  std::string keys;
  if (!connect.empty()) keys += "\t\t\t\tconnect " + connect + "\n";
  if (!type.empty()) keys += "\t\t\t\ttype " + type + "\n";
  keys += "\t\t\t\tsignal_source " + source + "\n\t\t\t\tsignal_name " + signal +
          "\n\t\t\t\tslot_name " + slot + "\n";
  return keys;
}

std::string wired(const std::string& name, const std::vector<std::string>& declarations) {
  std::string inner = "\t\t[signals]\n";
  for (std::size_t i = 0; i < declarations.size(); ++i)
    if (!declarations[i].empty()) inner += declaration(static_cast<int>(i), declarations[i]);
  return object_section(name, "Probe", inner + "\t\t[/]\n");
}

std::vector<std::string> rise(const std::string& signal_name) {
  take_log();
  Signal signal(signal_name);
  signal.add_params(static_cast<int64_t>(42));
  signal.rise();
  return take_log();
}

using Lines = std::vector<std::string>;

class SignalWiring : public SceneFixture {
protected:
  Scene* loaded_scene(const std::vector<std::pair<std::string, int>>& entries,
                      const std::string& sections, const std::string& video_name = "Video") {
    Scene* scene = add_scene("wiring", scene_file(entries, sections));
    scene->set_video_name(video_name);
    EXPECT_TRUE(scene->load_scene());
    scene->draw();
    return scene;
  }
  void press(Scene* scene, float x, float y) {
    SlotArgs args = pointer_args(x, y);
    scene->slot__on_mouse_press(&args);
  }
};

TEST_F(SignalWiring, EveryObjectGetsTheThreeBuiltInConnections) {
  Scene* scene = loaded_scene({{"plain", 0}}, object_section("plain", "Probe"));
  const std::string s = scene->get_name();
  const auto connections = scene->get_object("plain")->_get__signal_connections_();
  ASSERT_EQ(connections.size(), 3u);
  const std::pair<std::string, std::string> expected[] = {
      {s + "->activate", s + "->plain->_on_activate"},
      {s + "->deactivate", s + "->plain->_on_deactivate"},
      {s + "->reinit", s + "->plain->_on_scene_reinit"}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(connections[i].signal_name, expected[i].first);
    EXPECT_EQ(connections[i].slot_name, expected[i].second);
    EXPECT_FALSE(connections[i].on_load);
  }
}

TEST_F(SignalWiring, DeclarationsAreReadUpToTheFirstGapAndFiltered) {
  other_video();
  Scene* scene = loaded_scene(
      {{"w", 0}},
      wired("w", {declare("on_load", "builtin", "Video", "mouse_move", "_on_mouse_release"),
                  declare("", "", "Video", "mouse_move", "_on_custom"),
                  declare("on_load", "", "elsewhere->thing", "activate", "_on_custom"),
                  declare("", "", "Ext", "deactivate", "_on_custom"),
                  declare("", "", "Ext", "", "_on_custom"),
                  declare("On_load", "Builtin", "Video", "key", "_on_key_press"), "",
                  declare("on_load", "", "Ext", "unreached", "_on_custom")}),
      "Other");
  const std::string s = scene->get_name();
  const auto connections = scene->get_object("w")->_get__signal_connections_();
  ASSERT_EQ(connections.size(), 6u);
  EXPECT_EQ(connections[3].signal_name, "Other->mouse_move");
  EXPECT_EQ(connections[3].slot_name, s + "->w->_on_mouse_release");
  EXPECT_TRUE(connections[3].on_load);
  EXPECT_EQ(connections[4].signal_name, "Video->mouse_move");
  EXPECT_FALSE(connections[4].on_load);
  EXPECT_EQ(connections[5].signal_name, "Video->key");
  EXPECT_FALSE(connections[5].on_load);

  // The on_load one is live at once.
  take_log();
  SlotArgs move = pointer_args(0.5f, 0.5f);
  rise_signal("Other->mouse_move", &move);
  EXPECT_EQ(take_log(), Lines{"w:_on_mouse_release 0.5 0.5 1"});
}

TEST_F(SignalWiring, ConnectionsFollowReinitFocusAndRemoval) {
  const auto wiring = [](const std::string& name) {
    return wired(name, {declare("on_load", "", "Ext", name + "_ping", "_on_custom"),
                        declare("on_request", "", "Ext", name + "_key", "_on_key_press")});
  };
  // w covers x 0..0.25, v covers x -0.5..-0.25 (both y 0..0.33).
  Scene* scene = loaded_scene(
      {{"w", 0}, {"v", 0}},
      wiring("w") + wiring("v").replace(wiring("v").find("\t\t[signals]"), 0,
                                        "\t\t[SceneObject]\n\t\t\tabsolute_x -0.5\n\t\t[/]\n"));
  const std::string s = scene->get_name();
  scene->slot__on_activate(nullptr);

  EXPECT_EQ(rise("Ext->w_ping"), Lines{"w:_on_custom"});
  EXPECT_EQ(rise("Ext->w_key"), Lines{});

  // The scene's reinit connects the on-request ones.
  take_log();
  scene->reinit();
  EXPECT_EQ(take_log(), (Lines{"w:_on_scene_reinit", "v:_on_scene_reinit"}));
  EXPECT_EQ(rise("Ext->w_key"), Lines{"w:_on_key_press 42"});

  // Clicking w gives it the focus and rises the scene's activate signal, which reaches w alone:
  // the reinit links no object to it.
  take_log();
  press(scene, 0.1f, 0.1f);
  EXPECT_EQ(scene->get_focus(), scene->get_object("w"));
  EXPECT_EQ(take_log(), Lines{"w:_on_activate"});

  // Clicking v takes w's on-request connections and its reinit link away, not its on_load ones.
  press(scene, -0.4f, 0.1f);
  EXPECT_EQ(scene->get_focus(), scene->get_object("v"));
  EXPECT_EQ(rise("Ext->w_key"), Lines{});
  EXPECT_EQ(rise("Ext->w_ping"), Lines{"w:_on_custom"});
  EXPECT_EQ(rise(s + "->reinit"), Lines{"v:_on_scene_reinit"});

  // Clicking w again connects all of its connections again; v keeps only its on_load one.
  take_log();
  press(scene, 0.1f, 0.1f);
  EXPECT_EQ(take_log(), Lines{"w:_on_activate"});
  EXPECT_EQ(rise("Ext->w_key"), Lines{"w:_on_key_press 42"});
  EXPECT_EQ(rise("Ext->v_key"), Lines{});
  EXPECT_EQ(rise("Ext->v_ping"), Lines{"v:_on_custom"});

  // Pressing the focus again reconnects it and rises activate once more.
  press(scene, 0.1f, 0.1f);
  EXPECT_EQ(take_log(), Lines{"w:_on_activate"});

  // Removal disconnects everything, on_load included.
  SceneObject* w = scene->get_object("w");
  ASSERT_TRUE(scene->remove_object("w"));
  EXPECT_EQ(rise("Ext->w_ping"), Lines{});
  EXPECT_EQ(rise("Ext->w_key"), Lines{});
  delete w;
}

TEST_F(SignalWiring, DeactivationDropsEverythingAndReactivationRestoresOnRequestOnly) {
  Scene* scene = loaded_scene(
      {{"w", 0}}, wired("w", {declare("on_load", "", "Ext", "deact_ping", "_on_custom"),
                              declare("", "", "Ext", "deact_key", "_on_key_press")}));
  scene->slot__on_activate(nullptr);
  scene->reinit();
  EXPECT_EQ(rise("Ext->deact_ping"), Lines{"w:_on_custom"});
  EXPECT_EQ(rise("Ext->deact_key"), Lines{"w:_on_key_press 42"});

  scene->slot__on_deactivate(nullptr);
  EXPECT_EQ(rise("Ext->deact_ping"), Lines{});
  EXPECT_EQ(rise("Ext->deact_key"), Lines{});
  SlotArgs press_args = pointer_args(0.1f, 0.1f);
  rise_signal("Video->mouse_press", &press_args);
  EXPECT_EQ(scene->get_focus(), nullptr);

  scene->slot__on_activate(nullptr);
  scene->reinit();
  EXPECT_EQ(rise("Ext->deact_key"), Lines{"w:_on_key_press 42"});
  EXPECT_EQ(rise("Ext->deact_ping"), Lines{});

  // A click on it (through the video device's press signal) brings the on_load one back.
  rise_signal("Video->mouse_press", &press_args);
  EXPECT_EQ(scene->get_focus(), scene->get_object("w"));
  EXPECT_EQ(rise("Ext->deact_ping"), Lines{"w:_on_custom"});
}

TEST_F(SignalWiring, TheActivateSignalReachesOnlyThePressedObjectAfterAnyNumberOfReinits) {
  // w covers x 0..0.25, v covers x -0.5..-0.25; "late" joins after the reinit.
  Scene* scene = loaded_scene(
      {{"w", 0}, {"v", 0}},
      object_section("w", "Probe") +
          object_section("v", "Probe", "\t\t[SceneObject]\n\t\t\tabsolute_x -0.5\n\t\t[/]\n"));
  const std::string s = scene->get_name();
  for (int round = 0; round < 3; ++round) {
    scene->slot__on_activate(nullptr);
    scene->reinit();
    if (round == 0) {
      SceneObject* late = SceneObjectFabric()["Probe"];
      late->set_video_name("Video");
      ASSERT_TRUE(late->load(scene, s, "Objects->late->", s, "late", files()));
      take_log();
      ASSERT_TRUE(scene->add_object("late", late, 0));
      // It joined a reinitialised scene: it gets the reinit the others had.
      EXPECT_EQ(take_log(), Lines{"late:_on_scene_reinit"});
    }
    take_log();
    press(scene, -0.4f, 0.1f);
    EXPECT_EQ(take_log(), Lines{"v:_on_activate"}) << "round " << round;
    press(scene, 0.1f, 0.1f);
    EXPECT_EQ(take_log(), Lines{"w:_on_activate"}) << "round " << round;
    // Nobody else hears the scene's activate signal, nor the deactivate one.
    EXPECT_EQ(rise(s + "->activate"), Lines{"w:_on_activate"});
    EXPECT_EQ(rise(s + "->deactivate"), Lines{});
    scene->slot__on_deactivate(nullptr);
  }
  // A scene that was left reinitialises no object that joins it.
  SceneObject* later = SceneObjectFabric()["Probe"];
  later->set_video_name("Video");
  ASSERT_TRUE(later->load(scene, s, "Objects->later->", s, "later", files()));
  take_log();
  ASSERT_TRUE(scene->add_object("later", later, 0));
  EXPECT_EQ(take_log(), Lines{});
}

TEST_F(SignalWiring, AnObjectLoadedInStepsListsEachConnectionOnce) {
  Scene* scene = loaded_scene({{"w", 0}}, wired("w", {declare("on_load", "", "Ext", "twice", "_on_custom")}));
  SceneObject* w = scene->get_object("w");
  const std::string s = scene->get_name();
  ASSERT_EQ(w->_get__signal_connections_().size(), 4u);
  // A second pass over the declarations, as objects loaded in steps make, adds nothing.
  ASSERT_TRUE(w->real_load(scene, s, "Objects->w->", s, "w", files()));
  EXPECT_EQ(w->_get__signal_connections_().size(), 4u);
}

}  // namespace
