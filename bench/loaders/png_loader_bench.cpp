// Loading a PNG file into a video surface through the "png" loader, against libpng's
// simplified API reading the same file into an RGBA buffer.

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "picture_files.h"
#include "vistrel/imageloader.h"

namespace {

// A square RGBA picture with smooth areas and some noise, as game art has; written once.
std::string picture_file(int side) {
  const std::string path = "/tmp/tarnvale-bench-" + std::to_string(side) + ".png";
  Png_Picture p;
  p.width = p.height = side;
  p.color_type = PNG_COLOR_TYPE_RGBA;
  unsigned noise = 12345;
  for (int y = 0; y < side; ++y) {
    std::vector<uint8_t> row;
    for (int x = 0; x < side; ++x) {
      noise = noise * 1103515245u + 12345u;
      row.insert(row.end(), {static_cast<uint8_t>(x * 255 / side), static_cast<uint8_t>(y * 255 / side),
                             static_cast<uint8_t>((noise >> 16) & 0x1f), 255});
    }
    p.rows.push_back(row);
  }
  const std::string bytes = png_file(p);
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return path;
}

void BM_png_loader_into_surface(benchmark::State& state) {
  const std::string path = picture_file(static_cast<int>(state.range(0)));
  static Brannow::FileManager files(100);
  static bool ready = [] {
    files.register_brannow(Brannow::CreatePosixFile);
    return video_create("BenchVideo", "libbench_video", nullptr, 0, 0) &&
           imageloader_create("png", "libgrisk_png", false);
  }();
  if (!ready) {
    state.SkipWithError((video_error() + " / " + imageloader_error()).c_str());
    return;
  }
  Video_Interface* video = video_get_interface("BenchVideo");
  for (auto _ : state) {
    // The surface goes first: while one shows the picture, a second load shares its pixels
    // instead of decoding the file.
    video->_remove_surface("pic", "scene");
    if (!imageloader_loadimage("png", "BenchVideo", path, "scene", "pic", &files, 1))
      state.SkipWithError(imageloader_error().c_str());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(0) * 4);
}
BENCHMARK(BM_png_loader_into_surface)->Arg(64)->Arg(1024);

void BM_libpng_simplified_to_rgba(benchmark::State& state) {
  const std::string path = picture_file(static_cast<int>(state.range(0)));
  std::vector<png_byte> pixels;
  for (auto _ : state) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
      state.SkipWithError(image.message);
      return;
    }
    image.format = PNG_FORMAT_RGBA;
    pixels.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0) * state.range(0) * 4);
}
BENCHMARK(BM_libpng_simplified_to_rgba)->Arg(64)->Arg(1024);

}  // namespace
