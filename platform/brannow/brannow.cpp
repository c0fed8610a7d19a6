#include "brannow/brannow.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include <memory>
#include <utility>

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
    if (size_ == capacity_) reserve(size_ + 1);
    content_[size_] = '\0';
  }
  ~PosixFile() override {
    if (handle_) std::fclose(handle_);
  }
  const char* get_content() const override { return content_.get(); }
  std::size_t get_size() const override { return size_; }
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
  // Reads straight into a buffer of the file's size (and one byte more, to see the end and hold
  // the terminator): a buffer grown as it fills is copied and its fresh pages touched again at
  // every growth. A file that grows meanwhile, or tells no size (a pipe, /proc), grows the buffer.
  bool read_all() {
    struct stat info;
    const bool sized = fstat(fileno(handle_), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    reserve(sized ? static_cast<std::size_t>(info.st_size) + 1 : 65536);
    std::size_t got;
    while ((got = std::fread(content_.get() + size_, 1, capacity_ - size_, handle_)) > 0) {
      size_ += got;
      if (size_ == capacity_) reserve(2 * size_);
    }
    return std::ferror(handle_) == 0;
  }
  // Room for `capacity` bytes, the content kept. The new bytes are left unset: fread fills them,
  // and zeroing them first would cost a pass over every page of the file (Symbola's 3 MB at
  // every start).
  void reserve(std::size_t capacity) {
    std::unique_ptr<char[]> room(new char[capacity]);
    if (size_ > 0) std::memcpy(room.get(), content_.get(), size_);
    content_ = std::move(room);
    capacity_ = capacity;
  }

  std::FILE* handle_ = nullptr;
  std::unique_ptr<char[]> content_;  // size_ bytes, then the terminator
  std::size_t size_ = 0, capacity_ = 0;
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
