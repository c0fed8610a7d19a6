#include "game_fixture.h"

#include <chrono>
#include <thread>


#include "game_engine.h"
#include "panolet/ui.h"
#include "tessim/time.h"
#include "xserver.h"

namespace game_test {
namespace {

void replace_all(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

}  // namespace

Video_Interface* video() { return video_get_interface("Video"); }
Brannow::FileManager* files() { return engine_files(); }

void GameField::SetUp() {
  REQUIRE_X_SERVER();
  std::string error;
  if (!start_game_engine(&error)) FAIL() << "the engine did not start: " << error;
}

void GameField::TearDown() {
  if (scene) scene->slot__on_deactivate(nullptr);
  delete scene;
  scene = nullptr;
}

std::string GameField::scene_with(const std::string& scene_keys, const std::string& extra_sections,
                                  const std::string& emitter_keys) {
  return "[Scene]\n" + scene_keys +
         "\tlevel @LEVEL@\n"
         "\t[Objects]\n\t\t[Object0]\n\t\t\tname emitter\n\t\t[/]\n\t[/]\n"
         "[/]\n"
         "[Objects]\n\t[emitter]\n\t\ttype StoneEmitter\n"
         "\t\t[StoneEmitter]\n" + emitter_keys +
         "\t\t\tstoneName res/game/stone\n\t\t\tstoneWidth 0.08\n"
         "\t\t\tstoneHeight 0.08\n\t\t\tinitialEmit 0\n\t\t[/]\n\t[/]\n[/]\n" +
         extra_sections;
}

PhysScene* GameField::load(std::string scene_text, std::string level_text) {
  static int scenes = 0;
  const std::string name = "field" + std::to_string(++scenes);
  if (scene_text.empty()) scene_text = scene_with("");
  const std::string level_file = scratch.file(name + ".lvl");
  replace_all(scene_text, "@SCENE@", name);
  replace_all(scene_text, "@LEVEL@", level_file);
  replace_all(level_text, "@SCENE@", name);
  scratch.write(name + ".lvl", level_text);
  const std::string scene_file = scratch.write(name + ".scn", scene_text);

  scene = new PhysScene();
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_storage_file(scene_file);
  scene->set_file_manager(engine_files());
  scene->slot__on_activate(nullptr);
  EXPECT_TRUE(scene->load_scene());
  return scene;
}

StoneEmitter* GameField::emitter() { return dynamic_cast<StoneEmitter*>(scene->get_object("emitter")); }

BaseStone* GameField::place(const std::string& name, int type, float x, float y) {
  return emitter()->place_stone(name, type, x, y);
}

std::vector<BaseStone*> GameField::diagonal(const std::string& prefix, const std::vector<int>& types, float x,
                                            float y) {
  std::vector<BaseStone*> stones;
  for (size_t i = 0; i < types.size(); ++i)
    stones.push_back(place(prefix + std::to_string(i), types[i], x + i * FACE_OFFSET, y + i * FACE_OFFSET));
  return stones;
}

void GameField::frame() {
  scene->draw();
  video()->_flip();
}

void GameField::play_for(double seconds) {
  const double step_seconds = scene->get_time_step();
  for (double counted = 0; counted < seconds; counted += step_seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(step_seconds));
    frame();
  }
}

void GameField::step(int n) {
  for (int i = 0; i < n; ++i) scene->step_world();
}

int GameField::body_count() { return scene->get_world()->GetBodyCount(); }

bool GameField::has(const std::string& name) { return scene->get_object(name) != nullptr; }

void SteppedField::SetUp() {
  GameField::SetUp();
  ui_init();
  Time::use_stepped_clock();
}

void SteppedField::TearDown() {
  GameField::TearDown();
  Time::use_real_clock();
}

PhysScene* SteppedField::load_course(const std::string& scene_keys, bool refill, const std::vector<std::string>& listed,
                                     const std::string& object_sections, const std::string& sections) {
  const std::string objects =
      "\t[score]\n\t\ttype Numeric\n\t[/]\n"
      "\t[over]\n\t\ttype Image\n\t\t[Image]\n\t\t\timage_file res/game/stone0.png\n\t\t[/]\n\t[/]\n"
      "\t[label]\n\t\ttype Image\n\t\t[Image]\n\t\t\timage_file res/game/stone1.png\n\t\t[/]\n\t[/]\n"
      "\t[refill]\n\t\ttype Timer\n\t\t[Timer]\n\t\t\trepeat " + std::string(refill ? "true" : "false") +
      "\n\t\t\ttime " + (refill ? "0.5" : "1000") + "\n\t\t[/]\n"
      "\t\t[signals]\n\t\t\t[signal0]\n\t\t\t\tconnect on_load\n\t\t\t\tsignal_source @SCENE@\n"
      "\t\t\t\tsignal_name new_cycle\n\t\t\t\tslot_name _on_new_cycle\n\t\t\t[/]\n\t\t[/]\n\t[/]\n";
  std::string text = scene_with(scene_keys, "", "\t\t\temitCount 1\n");
  // The emitter is object 0; the others follow it in the list and in the objects section.
  std::string list;
  std::vector<std::string> names = {"score", "over", "label", "refill"};
  names.insert(names.end(), listed.begin(), listed.end());
  for (size_t i = 0; i < names.size(); ++i)
    list += "\t\t[Object" + std::to_string(i + 1) + "]\n\t\t\tname " + names[i] + "\n\t\t[/]\n";
  text.replace(text.find("\t[/]\n[/]\n[Objects]"), 0, list);
  text.replace(text.rfind("[/]\n"), 0, objects + object_sections);
  text += sections;
  // The timer's time-out refills through the emitter.
  text.replace(text.find("\t\t\tinitialEmit 0\n\t\t[/]\n") + 24, 0,
               "\t\t[signals]\n\t\t\t[signal0]\n\t\t\t\tconnect on_load\n\t\t\t\tsignal_source @SCENE@->refill\n"
               "\t\t\t\tsignal_name time_out\n\t\t\t\tslot_name emit\n\t\t\t[/]\n\t\t[/]\n");
  return load(text);
}

std::map<std::string, b2Vec2> SteppedField::positions() {
  std::map<std::string, b2Vec2> where;
  for (const std::string& name : scene->get_object_names())
    if (auto* stone = dynamic_cast<BaseStone*>(scene->get_object(name))) where[name] = stone->_get_body()->GetPosition();
  return where;
}

void SteppedField::tick(int frames) {
  for (int i = 0; i < frames; ++i) {
    Time::advance_stepped_clock(STEP);
    frame();
  }
}

void SteppedField::press_key(long key) {
  Signal pressed("Video->keyboard_press");
  pressed.add_params(static_cast<int64_t>(key));
  pressed.rise();
}

bool SteppedField::shown(const std::string& name) {
  return scene->get_object(name) && scene->get_object(name)->_get_show();
}

Catcher::Catcher(const std::string& signal) : signal_(signal), slot_(this, &Catcher::call) {
  register_slot(slot_name(), &slot_);
  connect(signal_, slot_name());
}

Catcher::~Catcher() {
  disconnect(signal_, slot_name());
  unregister_slot(slot_name());
}

bool Catcher::call(SlotArgs* args) {
  packs.push_back(*args);
  return false;
}

}  // namespace game_test
