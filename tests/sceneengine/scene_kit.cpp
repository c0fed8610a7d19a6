#include "scene_kit.h"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <sstream>

#include "carrow/config.h"
#include "gtest/gtest.h"

namespace scene_kit {
namespace {

Brannow::FileManager* file_manager = nullptr;
MemoryVideo* screen = nullptr;

// A windowless device that, like the OpenGL driver, refuses surfaces without pixels.
MemoryVideo* device(const std::string& name) {
  MemoryVideo* video = memory_video(name);
  if (video) video->refuse_empty_surfaces = true;
  return video;
}

}  // namespace

void setup() {
  if (screen) return;
  file_manager = new Brannow::FileManager(100);
  file_manager->register_brannow(Brannow::CreatePosixFile);
  screen = device("Video");
  if (!screen) FAIL() << "memory video: " << video_error();
  static ObjectFabric<Probe> probe_fabric;
  Probe::sink = [](const std::string& line) { log().push_back(line); };
  SceneObjectFabric::add_fabric("Probe", &probe_fabric);
  init("Video");
}

Brannow::FileManager* files() { return file_manager; }
MemoryVideo* video() { return screen; }

MemoryVideo* other_video() {
  // Kept here as well: the video layer's registry goes before the leak check runs.
  static MemoryVideo* other = nullptr;
  if (!other) {
    other = device("Other");
    EXPECT_NE(other, nullptr) << video_error();
  }
  return other;
}

std::vector<std::string>& log() {
  static std::vector<std::string> lines;
  return lines;
}

std::vector<std::string> take_log() {
  std::vector<std::string> lines;
  lines.swap(log());
  return lines;
}

std::string unique_name(const std::string& stem) {
  static int counter = 0;
  return stem + "_" + std::to_string(++counter);
}

Scene* make_scene(const test_support::ScratchDir& dir, const std::string& name,
                  const std::string& content) {
  Scene* scene = SceneFabric()["generic"];
  scene->set_name(name);
  scene->set_video_name("Video");
  scene->set_storage_file(dir.write(name + ".scn", content));
  scene->set_file_manager(file_manager);
  return scene;
}

void destroy_scene(Scene* scene) {
  scene->slot__on_deactivate(nullptr);
  for (const std::string& name : scene->get_object_names()) {
    SceneObject* object = scene->get_object(name);
    if (object && scene->remove_object(name)) delete object;
  }
  Probe::delete_removed();
  delete scene;
}

void SceneFixture::SetUp() {
  setup();
  take_log();
}

void SceneFixture::TearDown() {
  for (Scene* scene : scenes) destroy_scene(scene);
}

Scene* SceneFixture::add_scene(const std::string& stem, const std::string& content) {
  scenes.push_back(make_scene(dir, unique_name(stem), content));
  return scenes.back();
}

std::string scene_file(const std::vector<std::pair<std::string, int>>& entries,
                       const std::string& object_sections, const std::string& scene_keys) {
  std::ostringstream out;
  out << "[Scene]\n" << scene_keys << "\t[Objects]\n";
  int index = 0;
  for (const auto& entry : entries)
    out << "\t\t[Object" << index++ << "]\n\t\t\tname " << entry.first << "\n\t\t\tz_level "
        << entry.second << "\n\t\t[/]\n";
  out << "\t[/]\n[/]\n[Objects]\n" << object_sections << "[/]\n";
  return out.str();
}

std::string object_section(const std::string& name, const std::string& type,
                           const std::string& inner) {
  return "\t[" + name + "]\n\t\ttype " + type + "\n" + inner + "\t[/]\n";
}

std::string drawn_last_frame() {
  std::string names;
  for (const MemoryKey& sprite : screen->last_frame()) names += sprite.second + " ";
  return names;
}
void flip() { screen->_flip(); }

void schedule(int at_frame, EVENT_TYPE type, float x, float y, int buttons, int key) {
  Event event;
  event.type = type;
  event.x = x;
  event.y = y;
  event.dx = x / 2;
  event.dy = y / 2;
  event.buttons = buttons;
  event.key = key;
  event.character = key;
  screen->schedule(at_frame, event);
}

int frame() { return static_cast<int>(screen->frames()); }
long events_taken() { return screen->events_taken; }
bool mouse_shown() { return screen->mouse_visible(); }

std::string masked(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] != ':' || i + 1 >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i + 1])))
      continue;
    out += '#';
    while (i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i + 1]))) ++i;
  }
  return out;
}

SlotArgs pointer_args(float x, float y, int button) {
  SlotArgs args;
  args.float_params = {x, y};
  args.int_params = {button};
  return args;
}

}  // namespace scene_kit
