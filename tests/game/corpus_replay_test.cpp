// The fuzz targets' corpus (and the inputs that once broke them) replayed on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "scene_input.h"
#include "scratch.h"

namespace {

std::vector<std::string> inputs(const std::string& kind) {
  std::vector<std::string> files;
  const std::string folder = std::string(TARNVALE_SOURCE_DIR) + "/tests/fuzz/scene/corpus/" + kind;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file()) files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

TEST(FuzzCorpus, SceneFilesLoadOrFailWithoutHarm) {
  const std::vector<std::string> files = inputs("scene");
  ASSERT_GE(files.size(), 5u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    scene_input::load_scene_text(test_support::read_file(file));
  }
}

TEST(FuzzCorpus, LevelFilesLoadOrFailWithoutHarm) {
  const std::vector<std::string> files = inputs("level");
  ASSERT_GE(files.size(), 3u);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    scene_input::load_level_text(test_support::read_file(file));
  }
}

}  // namespace
