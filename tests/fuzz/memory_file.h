#pragma once
// A file held in memory, for the fuzz targets that hand their input to a loader by file name.
#include <string>

#include "brannow/brannow.h"

class MemoryFile : public Brannow::File {
public:
  explicit MemoryFile(const std::string& text) : content_(text + '\0') {}
  const char* get_content() const override { return content_.data(); }
  std::size_t get_size() const override { return content_.size() - 1; }
  bool write(const void*, std::size_t) override { return false; }

private:
  std::string content_;
};
