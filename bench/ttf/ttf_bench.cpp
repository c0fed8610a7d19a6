// Rendering cost per call and per glyph, next to FreeType rendering the same glyphs itself.
//
//   ttf_bench/render_warm   what a text costs once its glyphs are cached (the game's steady state)
//   ttf_bench/render_cold   the cache emptied before every call: every glyph rasterised afresh
//   freetype/load_char      FT_Load_Char(FT_LOAD_RENDER) of the same characters, nothing else
// Arguments: characters, pixel size.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "carrow/config.h"
#include "memory_video.h"
#include "ttf_renderer.h"

namespace {

const std::string kFont = std::string(TARNVALE_SOURCE_DIR) + "/res/fonts/DejaVuSans.ttf";

std::string text_of(int characters) {
  const std::string pangram = "Sphinx of black quartz, judge my vow! 0123456789. ";
  std::string text;
  while (static_cast<int>(text.size()) < characters) text += pangram;
  return text.substr(0, characters);
}

struct Setup {
  Setup() {
    files.register_brannow(Brannow::CreatePosixFile);
    renderer.init();
    renderer.load_font("Sans", kFont, &files);
    memory_video("BenchVideo");
  }
  Brannow::FileManager files{100};
  TTF_Renderer renderer;
};

Setup& setup() {
  static Setup* s = new Setup();
  return *s;
}

// Seconds per glyph (printed with its SI prefix: "1.5u" is 1.5 microseconds).
void per_glyph(benchmark::State& state, int glyphs) {
  state.counters["per_glyph"] = benchmark::Counter(
      glyphs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void render(benchmark::State& state, bool cold) {
  Setup& s = setup();
  const std::string text = text_of(static_cast<int>(state.range(0)));
  const int size = static_cast<int>(state.range(1));
  VideoColor white;
  white.set_color(255, 255, 255, 255);
  for (auto _ : state) {
    if (cold) s.renderer.drop_glyph_cache();
    if (!s.renderer.render_text("BenchVideo", "Sans", text, white, size, "text", "bench", true))
      state.SkipWithError(s.renderer.get_error().c_str());
  }
  per_glyph(state, static_cast<int>(text.size()));
}

void render_warm(benchmark::State& state) { render(state, false); }
void render_cold(benchmark::State& state) { render(state, true); }

void freetype_load_char(benchmark::State& state) {
  const std::string text = text_of(static_cast<int>(state.range(0)));
  FT_Library library;
  FT_Face face;
  FT_Init_FreeType(&library);
  FT_New_Face(library, kFont.c_str(), 0, &face);
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(state.range(1)));
  for (auto _ : state)
    for (unsigned char c : text) benchmark::DoNotOptimize(FT_Load_Char(face, c, FT_LOAD_RENDER));
  per_glyph(state, static_cast<int>(text.size()));
  FT_Done_Face(face);
  FT_Done_FreeType(library);
}

// A 30-character line rendered again every frame, as a score or a clock does, into the
// windowless driver (the renderer's own work) or the OpenGL driver (texture upload included).
void frame_30_characters(benchmark::State& state, const std::string& video) {
  Setup& s = setup();
  VideoColor white;
  white.set_color(255, 255, 255, 255);
  int frame = 0;
  for (auto _ : state) {
    const std::string text = "Score " + std::to_string(100000 + frame++ % 1000) + "   Time 12:34:56.7";
    if (!s.renderer.render_text(video, "Sans", text.substr(0, 30), white, 16, "score", "bench", true))
      state.SkipWithError(s.renderer.get_error().c_str());
  }
}

// The OpenGL driver in a small window, when there is a display to open it on.
bool open_gl_video() {
  if (std::getenv("DISPLAY") == nullptr) return false;
  if (!config_create("TtfBenchVideo", "libquorra", true)) return false;
  Config_Interface* config = config_get_interface("TtfBenchVideo");
  for (auto [key, value] : {std::pair<const char*, const char*>{"Width", "640"}, {"Height", "480"},
                            {"FullScreen", "no"}, {"Caption", "ttf bench"}})
    config->set_value(std::string("Video->") + key, value, true);
  std::string params[] = {"TtfBenchVideo", "Video->", "VX_Video"};
  if (!video_create("GLBench", "libGL_tessar", params, 3, 0)) return false;
  return video_get_interface("GLBench")->_init();
}

void sizes(benchmark::internal::Benchmark* b) {
  for (int characters : {20, 200})
    for (int size : {16, 48}) b->Args({characters, size});
  b->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK(render_warm)->Name("ttf_bench/render_warm")->Apply(sizes);
BENCHMARK(render_cold)->Name("ttf_bench/render_cold")->Apply(sizes);
BENCHMARK(freetype_load_char)->Name("freetype/load_char")->Apply(sizes);
BENCHMARK_CAPTURE(frame_30_characters, memory, std::string("BenchVideo"))
    ->Name("ttf_bench/frame_30_characters/memory_driver")
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (open_gl_video())
    benchmark::RegisterBenchmark("ttf_bench/frame_30_characters/opengl_driver",
                                 [](benchmark::State& state) { frame_30_characters(state, "GLBench"); })
        ->Unit(benchmark::kMicrosecond);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
