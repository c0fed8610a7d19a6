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

// Each input either loads or fails with a message; the sanitizers catch any harm.
void replay(const std::string& kind, size_t fewest, void (*load)(const std::string&)) {
  const std::vector<std::string> files = inputs(kind);
  ASSERT_GE(files.size(), fewest);
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    load(test_support::read_file(file));
  }
}

TEST(FuzzCorpus, SceneAndLevelFilesLoadOrFailWithoutHarm) {
  replay("scene", 5, scene_input::load_scene_text);
  replay("level", 3, scene_input::load_level_text);
}

}  // namespace
