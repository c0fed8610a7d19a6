// Any bytes must load as a configuration, and whatever loaded must save, without a crash,
// a hang or a read outside the file's bytes.
#include <algorithm>
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
  // Every key read from the file has a line in it, as the data checker reports them.
  const long lines = 1 + std::count(data, data + size, '\n');
  struct Lines : config_functor {
    Text_Config* config;
    long lines;
    void operator()(std::string key, std::string) override {
      const Config_Origin origin = config->_get_origin(key);
      if (origin.file != "input" || origin.line < 1 || origin.line > lines) __builtin_trap();
    }
  } check;
  check.config = &config;
  check.lines = lines;
  config.for_each(check);
  if (!config.save("output", &files)) __builtin_trap();
  return 0;
}
