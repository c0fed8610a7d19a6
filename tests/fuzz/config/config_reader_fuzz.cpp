// Any bytes must load as a configuration, and whatever loaded must save, without a crash,
// a hang or a read outside the file's bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "text_config.h"

namespace {

// The file holds exactly the fuzzer's bytes and the NUL the file manager promises after them.
class MemoryFile : public Brannow::File {
public:
  MemoryFile(const std::uint8_t* data, std::size_t size) : content_(data, data + size) {
    content_.push_back('\0');
  }
  const char* get_content() const override { return content_.data(); }
  std::size_t get_size() const override { return content_.size() - 1; }
  bool write(const void*, std::size_t) override { return true; }

private:
  std::vector<char> content_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Brannow::FileManager files(1);
  files.register_brannow([&](const std::string&, Brannow::READ_MODE) { return new MemoryFile(data, size); });
  Text_Config config;
  if (!config.load("input", &files)) __builtin_trap();
  if (!config.save("output", &files)) __builtin_trap();
  return 0;
}
