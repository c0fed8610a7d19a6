#include <gtest/gtest.h>

#include "fake_video.h"

Fake_Video* testing_video(const std::string& video_name) {
  if (video_get_interface(video_name) == nullptr) {
    EXPECT_TRUE(video_create(video_name, "libtesting_video", nullptr, 0, 0)) << video_error();
  }
  return static_cast<Fake_Video*>(video_get_interface(video_name));
}
