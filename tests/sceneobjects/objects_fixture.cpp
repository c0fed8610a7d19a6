#include "objects_fixture.h"

#include <png.h>

#include <cstdio>

#include "scrivet/textrenderer.h"
#include "vistrel/imageloader.h"

namespace objects_test {

std::string write_png(const test_support::ScratchDir& dir, const std::string& name, int w, int h,
                      const std::function<Rgba(int x, int y)>& colour) {
  const std::string path = dir.file(name);
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    ADD_FAILURE() << "cannot write " << path;
    return path;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, out);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<unsigned char> row(static_cast<size_t>(w) * 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Rgba c = colour(x, y);
      std::copy(c.begin(), c.end(), row.begin() + x * 4);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(out);
  return path;
}

SlotRecorder::SlotRecorder(std::string slot_name)
    : name_(std::move(slot_name)), slot_(this, &SlotRecorder::on_signal) {
  register_slot(name_, &slot_);
}

SlotRecorder::~SlotRecorder() { unregister_slot(name_); }

bool SlotRecorder::on_signal(SlotArgs* args) {
  received.push_back(*args);
  if (then) then();
  return false;
}

void SceneObjects::SetUp() {
  SceneFixture::SetUp();
  static const bool plugins = [] {
    EXPECT_TRUE(imageloader_create("png", "libgrisk_png", true)) << imageloader_error();
    EXPECT_TRUE(textrenderer_create("ttf", "libmordent", true)) << textrenderer_error();
    Text_Renderer* ttf = textrenderer_get("ttf");
    EXPECT_TRUE(ttf && ttf->load_font("Sans", std::string(TARNVALE_SOURCE_DIR) +
                                                  "/res/fonts/DejaVuSans.ttf",
                                      scene_kit::files()));
    return true;
  }();
  (void)plugins;
  scene_kit::flip();  // forget what earlier tests queued
}

Scene* SceneObjects::scene_of(const std::vector<std::pair<std::string, int>>& entries,
                              const std::string& sections) {
  return add_scene("objects", scene_kit::scene_file(entries, sections));
}

Scene* SceneObjects::loaded(const std::vector<std::pair<std::string, int>>& entries,
                            const std::string& sections) {
  Scene* scene = scene_of(entries, sections);
  testing::internal::CaptureStderr();
  const bool ok = scene->load_scene();
  load_log = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(ok) << load_log;
  return scene;
}

}  // namespace objects_test
