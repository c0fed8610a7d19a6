#pragma once
#include <string>

namespace test_support {

// The whole content of a file; empty when it cannot be read.
std::string read_file(const std::string& path);

// A fresh folder under /tmp, removed with everything in it when the object goes.
class ScratchDir {
public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  // path() + "/" + relative
  std::string file(const std::string& relative) const;
  // Writes content to a file below the folder, making the folders on the way.
  std::string write(const std::string& relative, const std::string& content) const;
  std::string read(const std::string& relative) const;
  // Copies a file or folder of the source tree (relative to its root) into the same place here.
  void copy_from_source(const std::string& relative) const;

private:
  std::string path_;
};

}  // namespace test_support
