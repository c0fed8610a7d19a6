// CPU time of Scene::draw per object and frame for a scene of 200 buttons (800 sub-objects:
// pictures and captions) against a scene of plain images drawing as many sprites, with the
// pointer moving over the buttons every frame (hover switching) or standing still; and the
// per-frame cost of a 30-character text field, unchanged and changed every frame.
// Run under an X server:
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" build-bench/bin/ui_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "../support/bench_scene.h"
#include "../support/thread_clock.h"
#include "brannow/brannow.h"
#include "gl_video.h"
#include "olvane/video.h"
#include "panolet/textedit.h"
#include "panolet/ui.h"
#include "scrivet/textrenderer.h"
#include "vistrel/imageloader.h"
#include "voskar/scenemanager.h"

namespace {

const std::string kFolder = "/tmp/tarnvale-ui-bench-" + std::to_string(getpid());
const std::string kSource = TARNVALE_SOURCE_DIR;
const int kButtons = 200;

std::string place(int i) {
  return "[SceneObject]\nabsolute_x " + std::to_string(-0.9 + 1.8 * (i % 10) / 10.0) +
         "\nabsolute_y " + std::to_string(-0.9 + 1.8 * (i / 10 % 20) / 20.0) + "\n[/]\n";
}

// Buttons above their sub-objects (z 5), or images and texts as many as the buttons draw.
std::string scene_text(const std::string& kind) {
  std::string entries, sections;
  int index = 0;
  auto add = [&](const std::string& name, int z, const std::string& body) {
    entries += "[Object" + std::to_string(index++) + "]\nname " + name + "\nz_level " +
               std::to_string(z) + "\n[/]\n";
    sections += "[" + name + "]\n" + body + "[/]\n";
  };
  for (int i = 0; i < kButtons; ++i) {
    const std::string n = std::to_string(i);
    if (kind == "buttons") {
      add("b" + n, 5, "type Button\n" + place(i) + "[BaseUIObject]\nstyle Bench\n[/]\n"
                      "[Button]\ncaption B" + n + "\n[/]\n");
    } else {
      add("i" + n, 0, "type Image\n" + place(i) + "[Image]\nimage_file " + kSource +
                      "/res/interface/button_small.png\n[/]\n");
      add("t" + n, 1, "type Text\n" + place(i) + "[Text]\ntext B" + n +
                      "\nrenderer_type ttf\nfont Font0\nfont_size 14\n[/]\n");
    }
  }
  return "[Scene]\n[Objects]\n" + entries + "[/]\n[/]\n[Objects]\n" + sections + "[/]\n";
}

struct Engine {
  Brannow::FileManager files{100};
  Video_Interface* video = nullptr;
  std::map<std::string, Scene*> scenes;
  std::string error;

  Engine() {
    files.register_brannow(Brannow::CreatePosixFile);
    std::system(("mkdir -p " + kFolder).c_str());
    error = test_support::open_gl_video("VideoConfig", {{"Width", "800"},
                                                        {"Height", "600"},
                                                        {"BaseHeight", "600"},
                                                        {"LimitFPS", "0"},
                                                        {"Caption", "UiBench"}});
    if (!error.empty()) return;
    video = video_get_interface("Video");
    init("Video");
    ui_init();
    if (!imageloader_create("png", "libgrisk_png", true)) error = imageloader_error();
    if (!textrenderer_create("ttf", "libmordent", true) ||
        !textrenderer_get("ttf")->load_font("Font0", kSource + "/res/fonts/DejaVuSans.ttf", &files))
      error = "no font";
    const std::string style = kFolder + "/bench.style";
    std::ofstream(style) << "[Bench]\nimage_file " << kSource
                         << "/res/interface/button_small.png\nrenderer_type ttf\nfont Font0\n"
                            "font_size 14\nfont_color 0xffffffff\n[hover]\nimage_file "
                         << kSource << "/res/interface/button_small_hover.png\n"
                            "renderer_type ttf\nfont Font0\nfont_size 14\nfont_color 0xffff00ff\n"
                            "[/]\n[/]\n[Field]\nimage_file "
                         << kSource << "/res/interface/field.png\n[/]\n";
    ui_load_styleset(style, "BenchStyle", &files);
  }

  Scene* scene_of(const std::string& kind, const std::string& text) {
    if (scenes.count(kind)) return scenes[kind];
    const std::string file = kFolder + "/" + kind + ".scn";
    std::ofstream(file) << text;
    Scene* scene = load_active_scene(kind, file, &files);
    if (scene == nullptr) return nullptr;
    return scenes[kind] = scene;
  }
};

Engine& engine() {
  static Engine* instance = new Engine;
  return *instance;
}

// Frames of the scene; with hover, a pointer move over a different button before each frame.
void draw_frames(benchmark::State& state, Scene* scene, int objects, bool hover) {
  Signal move("Video->mouse_move");
  int frame = 0;
  auto move_pointer = [&] {
    const int i = frame++ % kButtons;
    move.clear_params();
    move.add_params(static_cast<float>(-0.9 + 1.8 * (i % 10) / 10.0));
    move.add_params(static_cast<float>(-0.9 + 1.8 * (i / 10 % 20) / 20.0));
    move.add_params(0.0f);
    move.add_params(0.0f);
    move.add_params(static_cast<int64_t>(0));
    move.rise();
  };
  time_scene_frames(state, scene, engine().video, objects,
                    hover ? std::function<void()>(move_pointer) : nullptr);
}

Scene* scene_or_skip(benchmark::State& state, const std::string& kind, const std::string& text) {
  Engine& e = engine();
  if (!e.error.empty() || !e.video) {
    state.SkipWithError(e.error.c_str());
    return nullptr;
  }
  Scene* scene = e.scene_of(kind, text);
  if (!scene) state.SkipWithError("scene did not load");
  return scene;
}

// 200 buttons: 800 sub-objects, of which 400 (a picture and a caption each) are shown.
void BM_Buttons(benchmark::State& state) {
  if (Scene* scene = scene_or_skip(state, "buttons", scene_text("buttons")))
    draw_frames(state, scene, 4 * kButtons, state.range(0) != 0);
}
// 200 pictures and 200 texts: the same 400 shown sprites as plain objects.
void BM_PlainImagesAndTexts(benchmark::State& state) {
  if (Scene* scene = scene_or_skip(state, "plain", scene_text("plain")))
    draw_frames(state, scene, 2 * kButtons, false);
}

// One 30-character field; with change, a character replaced every frame (rendered anew).
void BM_TextEdit30(benchmark::State& state) {
  Scene* scene = scene_or_skip(
      state, "field",
      "[Scene]\n[Objects]\n[Object0]\nname f\n[/]\n[/]\n[/]\n[Objects]\n[f]\ntype TextEdit\n"
      "[BaseUIObject]\nstyle Field\n[/]\n[TextEdit]\nrenderer_type ttf\nfont Font0\n"
      "font_size 22\nmax_length 40\n[/]\n[/]\n[/]\n");
  if (!scene) return;
  auto* field = dynamic_cast<TextEdit*>(scene->get_object("f"));
  std::vector<int32_t> text(30, 'a');
  field->_set_text(text);
  const bool change = state.range(0) != 0;
  double draw_seconds = 0;
  int frame = 0;
  for (auto _ : state) {
    if (change) {
      ++frame;
      text[frame % 30] = 'a' + frame % 26;
      field->_set_text(text);
    }
    const double start = thread_cpu_seconds();
    scene->draw();
    const double drawn = thread_cpu_seconds();
    engine().video->_flip();
    draw_seconds += drawn - start;
    state.SetIterationTime(drawn - start);
  }
  state.counters["us_per_frame"] = draw_seconds * 1e6 / static_cast<double>(state.iterations());
}

BENCHMARK(BM_Buttons)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PlainImagesAndTexts)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextEdit30)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
