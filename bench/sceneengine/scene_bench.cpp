// CPU time of Scene::draw per object and frame (scene walk, z-order rebuild, positions, the
// new-cycle signal, sprite queueing) for generic scenes of 50, 500 and 5,000 Image objects,
// each with a surface of its own, with the driver's _flip (the GL work) timed apart; and the
// same scenes of objects without sprites, for the scene manager's own share.
// Run under an X server:
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" build-bench/bin/scene_bench
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "../support/bench_scene.h"
#include "../support/thread_clock.h"
#include "brannow/brannow.h"
#include "gl_video.h"
#include "olvane/video.h"
#include "vistrel/imageloader.h"
#include "voskar/scenemanager.h"

namespace {

const std::string kFolder = "/tmp/tarnvale-scene-bench-" + std::to_string(getpid());

// A 16 x 16 picture with a transparent border.
bool write_picture(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, 16, 16, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_byte row[16 * 4];
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool inside = x > 0 && y > 0 && x < 15 && y < 15;
      png_byte* pixel = row + 4 * x;
      pixel[0] = static_cast<png_byte>(x * 16);
      pixel[1] = static_cast<png_byte>(y * 16);
      pixel[2] = 128;
      pixel[3] = inside ? 255 : 0;
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(file);
  return true;
}

// An object without a sprite: its draw is the position computation alone, so a scene of them
// shows what the scene manager itself costs per object.
class Marker : public SceneObject {
public:
  void draw() override { calculate_position(); }
};

// Objects on a grid, z levels in a few bands so the z order has work to do.
std::string scene_text(int objects, const std::string& type, const std::string& picture) {
  std::string entries, sections;
  for (int i = 0; i < objects; ++i) {
    const std::string name = "img" + std::to_string(i);
    entries += "[Object" + std::to_string(i) + "]\nname " + name + "\nz_level " +
               std::to_string(i % 7) + "\n[/]\n";
    sections += "[" + name + "]\ntype " + type + "\n[SceneObject]\nabsolute_x " +
                std::to_string(-0.95 + 1.9 * (i % 71) / 71.0) + "\nabsolute_y " +
                std::to_string(-0.95 + 1.9 * (i / 71 % 71) / 71.0) + "\n[/]\n[Image]\nimage_file " +
                picture + "\n[/]\n[/]\n";
  }
  return "[Scene]\n[Objects]\n" + entries + "[/]\n[/]\n[Objects]\n" + sections + "[/]\n";
}

struct Engine {
  Brannow::FileManager files{100};
  Video_Interface* video = nullptr;
  std::string picture = kFolder + "/tile.png";
  std::map<std::pair<std::string, int>, Scene*> scenes;
  std::string error;

  Engine() {
    files.register_brannow(Brannow::CreatePosixFile);
    std::system(("mkdir -p " + kFolder).c_str());
    if (!write_picture(picture)) error = "cannot write " + picture;
    error = test_support::open_gl_video("VideoConfig", {{"Width", "800"},
                                                        {"Height", "600"},
                                                        {"BaseHeight", "600"},
                                                        {"LimitFPS", "0"},
                                                        {"Caption", "SceneBench"}});
    if (!error.empty()) return;
    video = video_get_interface("Video");
    init("Video");
    static ObjectFabric<Marker> markers;
    SceneObjectFabric::add_fabric("Marker", &markers);
    if (!imageloader_create("png", "libgrisk_png", true)) error = imageloader_error();
  }

  Scene* scene_of(const std::string& type, int objects) {
    if (scenes.count({type, objects})) return scenes[{type, objects}];
    const std::string name = type + std::to_string(objects);
    const std::string file = kFolder + "/" + name + ".scn";
    std::ofstream(file) << scene_text(objects, type, picture);
    Scene* scene = load_active_scene(name, file, &files);
    if (scene == nullptr) return nullptr;
    return scenes[{type, objects}] = scene;
  }
};

Engine& engine() {
  static Engine* instance = new Engine;
  return *instance;
}

void draw_frames(benchmark::State& state, const std::string& type) {
  Engine& e = engine();
  if (!e.error.empty() || !e.video) {
    state.SkipWithError(e.error.c_str());
    return;
  }
  const int objects = static_cast<int>(state.range(0));
  Scene* scene = e.scene_of(type, objects);
  if (!scene) {
    state.SkipWithError("scene did not load");
    return;
  }
  time_scene_frames(state, scene, e.video, objects);
}

// Image objects: the scene's work plus each image's sprite placement and queueing.
void BM_SceneDrawImages(benchmark::State& state) { draw_frames(state, "Image"); }
// Objects without sprites: the scene walk, z order, positions and the new-cycle signal alone.
void BM_SceneDrawMarkers(benchmark::State& state) { draw_frames(state, "Marker"); }

BENCHMARK(BM_SceneDrawImages)->Arg(50)->Arg(500)->Arg(5000)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SceneDrawMarkers)->Arg(50)->Arg(500)->Arg(5000)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
