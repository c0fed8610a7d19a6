#pragma once
// Loads pictures through the real registry and plug-ins into the in-memory video driver.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "memory_video.h"
#include "picture_files.h"
#include "scratch.h"
#include "vistrel/imageloader.h"

class PictureLoaderTest : public testing::Test {
protected:
  static void SetUpTestSuite() {
    for (auto [name, module] : {std::pair{"png", "libgrisk_png"}, {"jpg", "libgrisk_jpg"}})
      if (!imageloader_create(name, module, false)) {
        ASSERT_EQ(imageloader_error(), std::string(name) + " already exist");
      }
  }

  void SetUp() override {
    files_.register_brannow(Brannow::CreatePosixFile);
    video_ = memory_video("TestVideo");
    ASSERT_NE(video_, nullptr) << video_error();
    video_->reset();
  }

  static void TearDownTestSuite() { video_remove("TestVideo"); }

  // Writes the bytes as `name` and loads them with `loader` into the surface ("pic", "scene").
  bool load(const std::string& bytes, const std::string& name, const std::string& loader,
            int flag = 1) {
    imageloader_seterror("");
    return imageloader_loadimage(loader, "TestVideo", dir_.write(name, bytes), "scene", "pic",
                                 &files_, flag);
  }

  MemorySurface* surface() { return video_->surface("pic", "scene"); }

  // Every pixel against the expectation (y from the top); the surface has the picture's size
  // and was handed to the driver.
  void expect_picture(int width, int height, const std::function<Rgba(int, int)>& expected,
                      int tolerance = 0) {
    MemorySurface* s = surface();
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->_get_width(), width);
    ASSERT_EQ(s->_get_height(), height);
    EXPECT_EQ(s->updates, 1);
    int wrong = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const Rgba got = picture_pixel(s, x, y), want = expected(x, y);
        const bool close = std::abs(got.r - want.r) <= tolerance &&
                           std::abs(got.g - want.g) <= tolerance &&
                           std::abs(got.b - want.b) <= tolerance && got.a == want.a;
        if (!close && ++wrong <= 5)
          ADD_FAILURE() << "pixel " << x << "," << y << ": got " << int(got.r) << " " << int(got.g)
                        << " " << int(got.b) << " " << int(got.a) << ", want " << int(want.r)
                        << " " << int(want.g) << " " << int(want.b) << " " << int(want.a);
      }
  }

  // The load fails, names the file, gives the reason and leaves no surface behind.
  void expect_refused(const std::string& bytes, const std::string& name, const std::string& loader,
                      const std::string& reason) {
    EXPECT_FALSE(load(bytes, name, loader));
    const std::string error = imageloader_error();
    EXPECT_NE(error.find("\"" + dir_.file(name) + "\""), std::string::npos) << error;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
    EXPECT_EQ(surface(), nullptr);
  }

  test_support::ScratchDir dir_;
  Brannow::FileManager files_{100};
  MemoryVideo* video_ = nullptr;
};
