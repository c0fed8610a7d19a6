#include "data_check.h"

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

}  // namespace

DataCheck::~DataCheck() {
  if (pid_ > 0) {
    std::ostringstream ignored;
    finish(ignored);
  }
}

bool DataCheck::start() {
  int pipe_ends[2];
  if (pipe(pipe_ends) != 0) return false;
  // What the program wrote so far must not come out of the child a second time.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  pid_ = fork();
  if (pid_ < 0) {
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    return false;
  }
  if (pid_ == 0) {
    close(pipe_ends[0]);
    // The check reads the game's data, never the player's kept files: a broken scores file is
    // the program's to report and move aside, not the check's.
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    std::ostringstream lines;
    const int code = check_data_folder("", lines, lines);
    write_all(pipe_ends[1], lines.str());
    // Without the exit handlers: the engine the checker loaded is the child's to drop.
    _exit(code);
  }
  close(pipe_ends[1]);
  from_child_ = pipe_ends[0];
  return true;
}

int DataCheck::finish(std::ostream& out) {
  if (pid_ <= 0) return 0;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(from_child_, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.write(buffer, n);
  }
  out.flush();
  close(from_child_);
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
  if (!WIFEXITED(status)) {
    out << "tarnvale: the data check ended without a result" << std::endl;
    return 2;
  }
  return WEXITSTATUS(status);
}
