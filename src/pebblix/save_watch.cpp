#include "save_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

constexpr uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE |
                                   IN_DELETE | IN_MODIFY | IN_DELETE_SELF | IN_MOVE_SELF |
                                   IN_ONLYDIR;

bool hidden(const std::filesystem::path& name) {
  const std::string text = name.filename().string();
  return !text.empty() && text[0] == '.';
}

}  // namespace

void SaveBatch::note(const std::string& file, bool ends_write, Clock::time_point at) {
  if (written_.count(file) == 0) order_.push_back(file);
  written_[file] = ends_write;
  last_ = at;
}

std::vector<std::string> SaveBatch::take(Clock::time_point now) {
  if (order_.empty()) return {};
  const bool all_written = std::all_of(written_.begin(), written_.end(),
                                       [](const auto& file) { return file.second; });
  if (now - last_ < (all_written ? kSettled : kAbandoned)) return {};
  std::vector<std::string> files;
  files.swap(order_);
  written_.clear();
  return files;
}

SaveWatch::~SaveWatch() {
  if (fd_ >= 0) close(fd_);
}

bool SaveWatch::start(const std::string& root, std::function<bool(const std::string&)> wanted,
                      std::string* error) {
  fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) {
    *error = std::string("inotify: ") + std::strerror(errno);
    return false;
  }
  root_ = root;
  wanted_ = std::move(wanted);
  root_watch_ = watch_tree(root);
  if (root_watch_ < 0) {
    *error = "\"" + root + "\": " + std::strerror(errno);
    close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

int SaveWatch::watch_tree(const std::string& folder) {
  const int watch = inotify_add_watch(fd_, folder.c_str(), kFolderEvents);
  if (watch < 0) {
    // A folder gone again is no loss; the watch limit reached is said, once.
    if (errno != ENOENT && unwatched_.empty() && !folders_.empty())
      unwatched_ = "cannot watch \"" + folder + "\" (" + std::strerror(errno) + "), its saves are not seen";
    return -1;
  }
  folders_[watch] = folder;
  std::error_code failure;
  for (std::filesystem::directory_iterator it(folder, failure), end; !failure && it != end;
       it.increment(failure))
    if (it->is_directory(failure) && !hidden(it->path())) watch_tree(it->path().string());
  return watch;
}

void SaveWatch::stop(const std::string& why, std::string* problem) {
  close(fd_);
  fd_ = -1;
  folders_.clear();
  *problem = why;
}

std::vector<std::string> SaveWatch::saved(SaveBatch::Clock::time_point now, std::string* problem) {
  if (fd_ < 0) return {};
  if (!unwatched_.empty() && !unwatched_said_) {
    *problem = unwatched_;
    unwatched_said_ = true;
  }
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t n = read(fd_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    if (n <= 0) {
      stop("inotify: " + std::string(n < 0 ? std::strerror(errno) : "no more events") + "; no more reloads", problem);
      return {};
    }
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        // Saves were lost: the whole tree may have changed.
        batch_.note(root_, true, now);
        continue;
      }
      if (event->wd == root_watch_ && (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF))) {
        stop("the watched folder \"" + root_ + "\" went away; no more reloads", problem);
        return {};
      }
      const auto folder = folders_.find(event->wd);
      if (folder == folders_.end()) continue;
      if (event->mask & IN_IGNORED) {
        folders_.erase(folder);
        continue;
      }
      if (event->len == 0) continue;
      const std::string path = folder->second + "/" + event->name;
      if (event->mask & IN_ISDIR) {
        if ((event->mask & (IN_CREATE | IN_MOVED_TO)) && event->name[0] != '.') watch_tree(path);
        continue;
      }
      if (wanted_ && !wanted_(path)) continue;
      batch_.note(path, (event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0, now);
    }
  }
  return batch_.take(now);
}
