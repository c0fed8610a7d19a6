#pragma once
// File access for the engine: one manager hands out files by name through a registered factory.

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace Brannow {

enum READ_MODE { READ = 0, WRITE = 1 };
enum CACHE_MODE { NO_CACHE = 0 };

// One opened file. In read mode the whole content is read at open time.
class File {
public:
  virtual ~File();
  // The whole content followed by a NUL byte (the content may hold NULs of its own).
  virtual const char* get_content() const = 0;
  // Number of content bytes, without the trailing NUL.
  virtual std::size_t get_size() const = 0;
  // Appends count bytes; false when the file is not writable or the write failed.
  virtual bool write(const void* bytes, std::size_t count) = 0;
  // Flushes and closes a file opened for writing: false when the data did not all reach the
  // file (a full disk shows only here). Later writes fail. A read file answers true.
  virtual bool close();
};

}  // namespace Brannow

// Thrown by FileManager::open when a file cannot be opened.
class BrannowError : public std::runtime_error {
public:
  explicit BrannowError(const std::string& what) : std::runtime_error(what) {}
};

namespace Brannow {

using FileFactory = std::function<File*(const std::string& name, READ_MODE mode)>;

class FileManager {
public:
  // capacity: how many files may be open at once (kept for callers; files close when released).
  explicit FileManager(unsigned capacity);
  virtual ~FileManager();

  unsigned capacity() const { return capacity_; }
  void register_brannow(FileFactory factory);
  // Opens through the registered factory; throws BrannowError when there is no factory or the
  // factory fails. Only cache mode 0 exists.
  std::shared_ptr<File> open(const std::string& name, READ_MODE mode, CACHE_MODE cache);
  std::shared_ptr<File> open(const std::string& name, int mode, int cache) {
    return open(name, static_cast<READ_MODE>(mode), static_cast<CACHE_MODE>(cache));
  }

private:
  unsigned capacity_;
  FileFactory factory_;
};

// The factory for ordinary files: read mode loads the whole file, write mode truncates it.
// Throws BrannowError naming the file and the reason.
File* CreatePosixFile(const std::string& name, READ_MODE mode);

}  // namespace Brannow
