// Timers wired in scene files to their scene's new-cycle signal, once and repeating.

#include <cfloat>
#include <chrono>
#include <thread>

#include "objects_fixture.h"
#include "voskar/timer.h"

using namespace objects_test;

namespace {

// A timer section whose "_on_new_cycle" slot listens to the scene's "new_cycle" from its load on.
std::string timer_section(const std::string& scene, const std::string& name,
                          const std::string& timer_keys, bool wired = true) {
  const std::string wiring =
      "\t\t[signals]\n\t\t\t[signal0]\n\t\t\t\tconnect on_load\n\t\t\t\tsignal_source " + scene +
      "\n\t\t\t\tsignal_name new_cycle\n\t\t\t\tslot_name _on_new_cycle\n\t\t\t[/]\n\t\t[/]\n";
  return scene_kit::object_section(name, "Timer",
                                   "\t\t[Timer]\n" + timer_keys + "\t\t[/]\n" + (wired ? wiring : ""));
}

// Draws the scene (rising its new-cycle signal) for about `seconds`.
void run_cycles(Scene* scene, double seconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < end) {
    scene->draw();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

}  // namespace

class Timers : public SceneObjects {
protected:
  // A loaded, activated scene holding the given timer sections (built with its name).
  Scene* timers(const std::vector<std::string>& names,
                const std::function<std::string(const std::string& scene)>& sections) {
    Scene* scene = scene_of({}, "");
    const std::string name = scene->get_name();
    std::vector<std::pair<std::string, int>> entries;
    for (const std::string& n : names) entries.push_back({n, 0});
    scene->set_storage_file(dir.write(name + ".scn", scene_kit::scene_file(entries, sections(name))));
    EXPECT_TRUE(scene->load_scene());
    scene->slot__on_activate(nullptr);
    return scene;
  }
};

TEST_F(Timers, AOneShotTimerFiresOnceWithTheTimeThatPassed) {
  Scene* scene = timers({"once"}, [](const std::string& s) {
    return timer_section(s, "once", "\t\t\ttime 0.05\n");
  });
  SlotRecorder fired("test->once fired");
  connect(scene->get_name() + "->once->time_out", "test->once fired");
  run_cycles(scene, 0.03);
  EXPECT_TRUE(fired.received.empty()) << "too early";
  run_cycles(scene, 0.2);
  ASSERT_EQ(fired.received.size(), 1u);
  ASSERT_EQ(fired.received[0].float_params.size(), 1u);
  EXPECT_GE(fired.received[0].float_params[0], 0.05f);
  EXPECT_TRUE(fired.received[0].int_params.empty());
  EXPECT_EQ(dynamic_cast<Timer*>(scene->get_object("once"))->_get_time(), FLT_MAX);
}

TEST_F(Timers, ARepeatingTimerFiresAgainAfterEachInterval) {
  Scene* scene = timers({"tick", "idle"}, [](const std::string& s) {
    return timer_section(s, "tick", "\t\t\trepeat true\n\t\t\ttime 0.04\n") +
           timer_section(s, "idle", "\t\t\ttime 0\n", false);
  });
  SlotRecorder ticks("test->ticks"), idle("test->idle");
  connect(scene->get_name() + "->tick->time_out", "test->ticks");
  connect(scene->get_name() + "->idle->time_out", "test->idle");
  run_cycles(scene, 0.3);
  EXPECT_GE(ticks.received.size(), 3u);
  for (const SlotArgs& args : ticks.received) EXPECT_GE(args.float_params.at(0), 0.04f);
  EXPECT_FLOAT_EQ(dynamic_cast<Timer*>(scene->get_object("tick"))->_get_time(), 0.04f);
  EXPECT_TRUE(idle.received.empty()) << "a timer nobody wired to new_cycle never fires";
}

TEST_F(Timers, DefaultsAndAZeroTime) {
  Scene* scene = timers({"plain", "now", "always"}, [](const std::string& s) {
    return timer_section(s, "plain", "") + timer_section(s, "now", "\t\t\ttime 0\n") +
           timer_section(s, "always", "\t\t\ttime 0\n\t\t\trepeat true\n");
  });
  auto* plain = dynamic_cast<Timer*>(scene->get_object("plain"));
  EXPECT_FALSE(plain->_get_repeat());
  EXPECT_FLOAT_EQ(plain->_get_time(), 1.0f);
  SlotRecorder now("test->now"), always("test->always");
  connect(scene->get_name() + "->now->time_out", "test->now");
  connect(scene->get_name() + "->always->time_out", "test->always");
  for (int cycle = 0; cycle < 5; ++cycle) scene->draw();
  EXPECT_EQ(now.received.size(), 1u);
  EXPECT_EQ(always.received.size(), 5u);
}

TEST_F(Timers, CopiesTickOnTheirOwn) {
  Scene* scene = timers({"t"}, [](const std::string& s) { return timer_section(s, "t", "\t\t\ttime 0\n"); });
  Timer copy(*dynamic_cast<Timer*>(scene->get_object("t")));
  SlotRecorder fired("test->copy");
  connect(scene->get_name() + "->t->time_out", "test->copy");
  // The copy's new-cycle slot in its slot map reaches the copy: it fires, the original does not.
  for (const auto& entry : copy._get__slot_map_())
    if (entry.first == scene->get_name() + "->t->_on_new_cycle") entry.second->call(nullptr);
  EXPECT_EQ(fired.received.size(), 1u);
  EXPECT_EQ(copy._get_time(), FLT_MAX);
  EXPECT_FLOAT_EQ(dynamic_cast<Timer*>(scene->get_object("t"))->_get_time(), 0.0f);
}

// The run loop activates its first scene before loading it; the timer's slot must still be
// registered, or a timer in a start scene that is not preloaded would never fire.
TEST_F(Timers, ATimerInTheStartSceneFiresUnderTheRunLoop) {
  const std::string name = scene_kit::unique_name("start");
  const std::string scene_path = dir.write(
      name + ".scn", scene_kit::scene_file({{"quit", 0}}, timer_section(name, "quit", "\t\t\ttime 0.05\n")));
  const std::string list = dir.write(
      name + ".scns", "[Scenes]\n\t[Scene0]\n\t\tname " + name + "\n\t\tfile " + scene_path +
                          "\n\t[/]\n[/]\n");
  ASSERT_TRUE(load_scenes(list, "Video", scene_kit::files()));

  SlotRecorder fired("test->quit"), cycles("test->cycles");
  fired.then = [] { set_next_scene("exit"); };
  // A watchdog, so that a timer that never fires fails the test instead of hanging it.
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  cycles.then = [&] {
    if (std::chrono::steady_clock::now() > give_up) set_next_scene("exit");
  };
  connect(name + "->quit->time_out", "test->quit");
  connect(name + "->new_cycle", "test->cycles");
  process_scene(name);
  ASSERT_EQ(fired.received.size(), 1u);
  EXPECT_GE(fired.received[0].float_params.at(0), 0.05f);
  scenes.push_back(get_scene(name));
}
