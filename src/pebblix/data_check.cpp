#include "data_check.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "check.h"

namespace {

void write_all(int fd, const std::string& text) {
  for (size_t done = 0; done < text.size();) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// The body of a check's process: the checker's lines to `fd`, its code as the exit status.
[[noreturn]] void run_check(int fd, bool load_video_driver) {
  // The check reads the game's data, never the player's kept files: a broken scores file is the
  // program's to report and move aside, not the check's.
  unsetenv("XDG_DATA_HOME");
  unsetenv("HOME");
  // The objects the checker loads print as they would in the game (a field's walls, each
  // picture loaded): not in the program's output, where they would seem the game's own.
  const int nowhere = open("/dev/null", O_WRONLY);
  dup2(nowhere, STDOUT_FILENO);
  dup2(nowhere, STDERR_FILENO);
  std::ostringstream lines;
  const int code = check_data_folder("", lines, lines, load_video_driver);
  write_all(fd, lines.str());
  // Without the exit handlers: the engine the checker loaded is the process's to drop.
  _exit(code);
}

// What the program wrote so far must not come out of a forked process a second time.
void flush_everything() {
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
}

// Waits for the process to end, through interruptions; its status.
int wait_for(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return status;
}

// Forks a process joined to this one by a socket: the child runs `child` with its end and never
// returns; the parent gets the child's pid and keeps its own end in *channel. -1 when no process
// could be made.
template <typename Child>
pid_t fork_with_channel(int* channel, Child child) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return -1;
  flush_everything();
  const pid_t pid = fork();
  if (pid < 0) {
    close(ends[0]);
    close(ends[1]);
    return -1;
  }
  if (pid == 0) {
    close(ends[0]);
    child(ends[1]);
    _exit(0);
  }
  close(ends[1]);
  *channel = ends[0];
  return pid;
}

}  // namespace

DataCheck::~DataCheck() {
  if (pid_ <= 0) return;
  if (begun_) {
    std::ostringstream ignored;
    finish(ignored);
    return;
  }
  close(channel_);  // the check reads the end of the channel and ends
  wait_for(pid_);
}

bool DataCheck::start(bool load_video_driver) {
  pid_ = fork_with_channel(&channel_, [load_video_driver](int channel) {
    char begin = 0;
    ssize_t got;
    while ((got = read(channel, &begin, 1)) < 0 && errno == EINTR) {
    }
    if (got != 1) _exit(2);
    run_check(channel, load_video_driver);
  });
  return pid_ > 0;
}

void DataCheck::begin() {
  if (pid_ <= 0 || begun_) return;
  begun_ = true;
  const char begin = 1;
  // No SIGPIPE when the process is gone: finish() then says the check ended without a result.
  send(channel_, &begin, 1, MSG_NOSIGNAL);
}

bool DataCheck::ready() const {
  if (pid_ <= 0) return true;
  pollfd wanted{channel_, POLLIN, 0};
  return begun_ && poll(&wanted, 1, 0) > 0;
}

int DataCheck::finish(std::ostream& out) {
  if (pid_ <= 0) return 0;
  begin();
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(channel_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.write(buffer, n);
  }
  out.flush();
  close(channel_);
  const int status = wait_for(pid_);
  pid_ = -1;
  if (!WIFEXITED(status)) {
    out << "tarnvale: the data check ended without a result" << std::endl;
    return 2;
  }
  return WEXITSTATUS(status);
}

void CheckAfterFirstFrame::frame_ended() {
  if (done_) return;
  check_.begin();  // at the first frame; after it, nothing
  if (check_.ready()) finish();
}

void CheckAfterFirstFrame::finish() {
  if (done_) return;
  done_ = true;
  check_.finish(out_);
}

CheckServer::~CheckServer() {
  if (pid_ <= 0) return;
  close(socket_);
  wait_for(pid_);
}

bool CheckServer::start(bool load_video_driver) {
  pid_ = fork_with_channel(&socket_, [load_video_driver](int channel) {
    char request = 0;
    // Until the program closes its end (it ended): one check per request byte.
    while (read(channel, &request, 1) == 1) {
      const pid_t check = fork();
      if (check == 0) run_check(channel, load_video_driver);
      const int status = check > 0 ? wait_for(check) : 0;
      // The checker's lines never hold a NUL: it ends them, the code follows.
      const char end[2] = {'\0', static_cast<char>(check > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : 2)};
      write_all(channel, std::string(end, 2));
    }
  });
  return pid_ > 0;
}

bool CheckServer::request() {
  if (pid_ <= 0 || checking_) return false;
  const char request = 1;
  // No SIGPIPE when the server is gone: the program runs on without checks.
  checking_ = send(socket_, &request, 1, MSG_NOSIGNAL) == 1;
  return checking_;
}

bool CheckServer::ready() const {
  if (!checking_) return false;
  pollfd wanted{socket_, POLLIN, 0};
  return poll(&wanted, 1, 0) > 0;
}

int CheckServer::finish(std::ostream& out) {
  if (!checking_) return 2;
  checking_ = false;
  std::string text;
  char buffer[4096];
  for (;;) {
    const size_t end = text.find('\0');
    if (end != std::string::npos && end + 1 < text.size()) {
      out << text.substr(0, end);
      return static_cast<unsigned char>(text[end + 1]);
    }
    const ssize_t n = read(socket_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  out << "tarnvale: the data check ended without a result" << std::endl;
  close(socket_);
  socket_ = -1;
  pid_ = -1;
  return 2;
}
