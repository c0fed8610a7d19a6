#pragma once
// Saves of the files in a folder tree, as inotify reports them: each save, however the editor
// writes it (in place, a temporary file renamed over the old one, delete and create), comes out
// once, after its events have settled.

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <vector>

// The debounce alone: events noted as they come, saves given out once they have settled.
class SaveBatch {
public:
  using Clock = std::chrono::steady_clock;
  // A batch is given out this long after its last event when every file's last event ended a
  // write (closed, renamed into place)...
  // (Read once a frame, the events of one save come in one read.)
  static constexpr Clock::duration kSettled = std::chrono::milliseconds(15);
  // ...and this long after it otherwise (a file deleted and not made again, a writer that
  // never closes).
  static constexpr Clock::duration kAbandoned = std::chrono::milliseconds(250);

  // `ends_write`: the event finishes the file's content; any other may be followed by more.
  void note(const std::string& file, bool ends_write, Clock::time_point at);
  // The files of the settled saves in the order first seen, each once; empty while a save is
  // still going on or nothing was saved.
  std::vector<std::string> take(Clock::time_point now);

private:
  std::vector<std::string> order_;
  std::map<std::string, bool> written_;  // file -> its last event ended a write
  Clock::time_point last_{};
};

class SaveWatch {
public:
  SaveWatch() = default;
  SaveWatch(const SaveWatch&) = delete;
  SaveWatch& operator=(const SaveWatch&) = delete;
  ~SaveWatch();

  // Watches `root` and every folder under it (hidden ones excepted; folders made later join),
  // for the files `wanted` accepts (paths as `root` + "/" + the rest). false with the reason
  // in *error when inotify cannot watch it.
  bool start(const std::string& root, std::function<bool(const std::string&)> wanted,
             std::string* error);
  // Reads what inotify has queued without waiting and gives out the settled saves. *problem
  // says, once, that a folder could not be watched, or that the watch broke (the root went
  // away, inotify failed), after which the watch stays silent.
  std::vector<std::string> saved(SaveBatch::Clock::time_point now, std::string* problem);

private:
  // The folder's watch descriptor, or -1 (errno says why).
  int watch_tree(const std::string& folder);
  void stop(const std::string& why, std::string* problem);

  int fd_ = -1;
  int root_watch_ = -1;
  std::string root_;
  std::function<bool(const std::string&)> wanted_;
  std::map<int, std::string> folders_;  // watch descriptor -> folder
  SaveBatch batch_;
  std::string unwatched_;  // the first folder that could not be watched, and why
  bool unwatched_said_ = false;
};
