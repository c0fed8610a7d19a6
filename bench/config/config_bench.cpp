// Loading and saving a generated 1 MB configuration; beside it inih reading the same pairs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "text_config.h"

#ifdef HAVE_INIH
#include <ini.h>
#endif

namespace {

struct Pair {
  std::string section, key, value;  // section: "A->B"
};

// About 1 MB of scenes with object lists, short numbers and long text values.
const std::vector<Pair>& generated_pairs() {
  static const std::vector<Pair> pairs = [] {
    std::vector<Pair> out;
    const std::string prose =
        "a longer value with inner  spaces, punctuation; paths like res/images/stone_red.png and numbers 3.14159";
    std::size_t bytes = 0;  // about what the text format takes: indent, key, space, value, line feed
    auto add = [&](std::string section, std::string key, std::string value) {
      std::size_t depth = 1;
      for (std::size_t at = section.find("->"); at != std::string::npos; at = section.find("->", at + 2)) ++depth;
      bytes += depth + key.size() + value.size() + 2;
      out.push_back({std::move(section), std::move(key), std::move(value)});
    };
    for (int scene = 0; bytes < (1u << 20); ++scene) {
      const std::string s = "Scene" + std::to_string(scene);
      add(s, "show_mouse_cursor", "1");
      add(s, "gravity_y", "-9.81");
      for (int object = 0; object < 12; ++object) {
        const std::string o = s + "->Objects->Object" + std::to_string(object);
        add(o, "name", "object_" + std::to_string(object));
        add(o, "type", object % 2 ? "Button" : "Image");
        add(o, "x", std::to_string(object * 0.05 - 0.3));
        add(o, "colour", "0xffffffff");
        add(o, "text", prose.substr(0, 20 + (object * 7) % 80));
        add(o + "->SceneObject", "z", std::to_string(object));
      }
    }
    return out;
  }();
  return pairs;
}

std::string write_file(const std::string& name, const std::string& text) {
  const std::string path = "/tmp/tarnvale_bench_" + name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

// The text format file, written by Text_Config itself.
const std::string& config_file() {
  static const std::string path = [] {
    Text_Config config;
    for (const Pair& p : generated_pairs()) config.set_value(p.section + "->" + p.key, p.value, false);
    std::string text;
    config.write_text([&](const std::string& piece) { text += piece; });
    return write_file("config.cfg", text);
  }();
  return path;
}

std::size_t file_size(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return static_cast<std::size_t>(in.tellg());
}

Brannow::FileManager& files() {
  static Brannow::FileManager manager = [] {
    Brannow::FileManager m(100);
    m.register_brannow(Brannow::CreatePosixFile);
    return m;
  }();
  return manager;
}

void TextConfigLoad(benchmark::State& state) {
  const std::string& path = config_file();
  for (auto _ : state) {
    Text_Config config;
    if (!config.load(path, &files())) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(config);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file_size(path)));
}
BENCHMARK(TextConfigLoad)->Unit(benchmark::kMillisecond);

void TextConfigSave(benchmark::State& state) {
  Text_Config config;
  config.load(config_file(), &files());
  const std::string out = "/tmp/tarnvale_bench_saved.cfg";
  for (auto _ : state)
    if (!config.save(out, &files())) state.SkipWithError("save failed");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file_size(out)));
}
BENCHMARK(TextConfigSave)->Unit(benchmark::kMillisecond);

#ifdef HAVE_INIH
// The same pairs as an INI file: one [A->B] section per configuration section, unindented
// because inih reads indented lines as continuations.
const std::string& ini_file() {
  static const std::string path = [] {
    std::string text, open;
    for (const Pair& p : generated_pairs()) {
      if (p.section != open) text += "[" + (open = p.section) + "]\n";
      text += p.key + "=" + p.value + "\n";
    }
    return write_file("config.ini", text);
  }();
  return path;
}

int into_map(void* user, const char* section, const char* name, const char* value) {
  auto& pairs = *static_cast<std::map<std::string, std::string>*>(user);
  pairs.emplace(std::string(section) + "->" + name, value);
  return 1;
}

void InihLoad(benchmark::State& state) {
  const std::string& path = ini_file();
  for (auto _ : state) {
    std::map<std::string, std::string> pairs;
    if (ini_parse(path.c_str(), into_map, &pairs) != 0) state.SkipWithError("inih failed");
    benchmark::DoNotOptimize(pairs);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file_size(path)));
}
BENCHMARK(InihLoad)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
