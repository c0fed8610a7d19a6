#include "scratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace test_support {

ScratchDir::ScratchDir() {
  char pattern[] = "/tmp/tarnvale-scratch-XXXXXX";
  const char* made = mkdtemp(pattern);
  path_ = made ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  if (path_ != "/tmp") fs::remove_all(path_, ignored);
}

std::string ScratchDir::file(const std::string& relative) const { return path_ + "/" + relative; }

std::string ScratchDir::write(const std::string& relative, const std::string& content) const {
  const std::string target = file(relative);
  fs::create_directories(fs::path(target).parent_path());
  std::ofstream(target, std::ios::binary) << content;
  return target;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string ScratchDir::read(const std::string& relative) const { return read_file(file(relative)); }

void ScratchDir::copy_from_source(const std::string& relative) const {
#ifdef TARNVALE_SOURCE_DIR
  const fs::path from = fs::path(TARNVALE_SOURCE_DIR) / relative;
  const fs::path to = fs::path(path_) / relative;
  fs::create_directories(to.parent_path());
  fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
#else
  (void)relative;
#endif
}

}  // namespace test_support
