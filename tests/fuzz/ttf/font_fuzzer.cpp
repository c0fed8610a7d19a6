// Any bytes as a font file: loading either fails with a message or gives a face that renders.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "memory_video.h"
#include "ttf_renderer.h"

namespace {

std::string font_bytes;

class FuzzedFile : public Brannow::File {
public:
  const char* get_content() const override { return content_.c_str(); }
  std::size_t get_size() const override { return content_.size(); }
  bool write(const void*, std::size_t) override { return false; }

private:
  std::string content_ = font_bytes;
};

Brannow::FileManager& files() {
  static Brannow::FileManager* manager = [] {
    auto* m = new Brannow::FileManager(100);
    m->register_brannow([](const std::string&, Brannow::READ_MODE) { return new FuzzedFile(); });
    return m;
  }();
  return *manager;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static MemoryVideo* video = memory_video("FuzzVideo");
  if (video == nullptr) __builtin_trap();
  font_bytes.assign(reinterpret_cast<const char*>(data), size);
  TTF_Renderer renderer;
  if (!renderer.init() || !renderer.load_font("F", "fuzzed.ttf", &files())) return 0;
  VideoColor color;
  color.set_color(255, 255, 255, 200);
  auto render_all = [&] {
    for (int pixel_size : {1, 13, 40}) {
      std::vector<int> codes = {'A', 'g', '\\', 'n', 0xE9, 0x20AC, 0x1F600, '_', ' ', 0xFFFF, '\\', 0x10FFFD};
      int descent = 0;
      renderer.render_sprite("FuzzVideo", "F", &codes, color, pixel_size, "text", "fuzz", true);
      renderer.render_text("FuzzVideo", "F", &codes, color, pixel_size, "text", "fuzz", true, &descent);
    }
  };
  render_all();
  // The same face as its own fallback's fallback: every code point, and replacement glyphs.
  if (renderer.load_font("G", "fallback.ttf", &files()) && renderer.set_fallback_font("F", "G")) render_all();
  return 0;
}
