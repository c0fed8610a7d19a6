#include "brannow/brannow.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <sys/stat.h>

namespace Brannow {

File::~File() = default;

bool File::close() { return true; }

namespace {

std::string reason(const std::string& name) { return name + ": " + std::strerror(errno); }

class PosixFile : public File {
public:
  PosixFile(const std::string& name, READ_MODE mode) {
    handle_ = std::fopen(name.c_str(), mode == WRITE ? "wb" : "rb");
    if (!handle_) throw BrannowError(reason(name));
    if (mode == READ) {
      const bool ok = read_all();
      std::fclose(handle_);
      handle_ = nullptr;
      if (!ok) throw BrannowError(reason(name));
    }
    content_.push_back('\0');
  }
  ~PosixFile() override {
    if (handle_) std::fclose(handle_);
  }
  const char* get_content() const override { return content_.data(); }
  std::size_t get_size() const override { return content_.size() - 1; }
  bool write(const void* bytes, std::size_t count) override {
    if (!handle_) return false;
    return count == 0 || std::fwrite(bytes, 1, count, handle_) == count;
  }
  bool close() override {
    if (!handle_) return true;
    const bool flushed = std::fflush(handle_) == 0 && std::ferror(handle_) == 0;
    const bool closed = std::fclose(handle_) == 0;
    handle_ = nullptr;
    return flushed && closed;
  }

private:
  bool read_all() {
    // One block of the file's size (and its NUL): grown in steps, a large file (a font) was
    // copied and its memory touched anew at each.
    struct stat about {};
    if (fstat(fileno(handle_), &about) == 0 && S_ISREG(about.st_mode))
      content_.reserve(static_cast<std::size_t>(about.st_size) + 1);
    char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, handle_)) > 0)
      content_.insert(content_.end(), buffer, buffer + got);
    return std::ferror(handle_) == 0;
  }

  std::FILE* handle_ = nullptr;
  std::vector<char> content_;
};

}  // namespace

FileManager::FileManager(unsigned capacity) : capacity_(capacity) {}
FileManager::~FileManager() = default;

void FileManager::register_brannow(FileFactory factory) { factory_ = std::move(factory); }

std::shared_ptr<File> FileManager::open(const std::string& name, READ_MODE mode, CACHE_MODE) {
  if (!factory_) throw BrannowError(name + ": no file factory registered");
  File* file = factory_(name, mode);
  if (!file) throw BrannowError(name + ": cannot be opened");
  return std::shared_ptr<File>(file);
}

File* CreatePosixFile(const std::string& name, READ_MODE mode) {
  return new PosixFile(name, mode);
}

}  // namespace Brannow
