#include "brannow/brannow.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace Brannow {

File::~File() = default;

bool File::close() { return true; }

namespace {

std::string reason(const std::string& name) { return name + ": " + std::strerror(errno); }

// Leaves the bytes a resize adds unset: fread fills them, and the zeros a plain vector writes
// first cost a pass over every page of the file (Symbola's 3 MB at every start).
template <class T>
struct Unset_Allocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = Unset_Allocator<U>;
  };
  template <class U>
  void construct(U*) noexcept {}
  template <class U, class... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};

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
  // Reads straight into a buffer of the file's size (and one byte more, to see the end and hold
  // the terminator): a buffer grown as it fills is copied and its fresh pages touched again at
  // every growth. A file that grows meanwhile, or tells no size (a pipe, /proc), grows the buffer.
  bool read_all() {
    struct stat info;
    const bool sized = fstat(fileno(handle_), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
    content_.resize(sized ? static_cast<std::size_t>(info.st_size) + 1 : 65536);
    std::size_t used = 0, got;
    while ((got = std::fread(content_.data() + used, 1, content_.size() - used, handle_)) > 0) {
      used += got;
      if (used == content_.size()) content_.resize(2 * used);
    }
    content_.resize(used);
    return std::ferror(handle_) == 0;
  }

  std::FILE* handle_ = nullptr;
  std::vector<char, Unset_Allocator<char>> content_;
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
