#include "xserver.h"

#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace test_support {
namespace {

pid_t server_pid = 0;
std::string display;

void stop_server() {
  if (server_pid > 0) {
    kill(server_pid, SIGTERM);
    waitpid(server_pid, nullptr, 0);
    server_pid = 0;
  }
}

}  // namespace

bool ensure_x_server(std::string* error) {
  if (!display.empty()) return true;
  int fds[2];
  if (pipe(fds) != 0) {
    if (error) *error = "pipe failed";
    return false;
  }
  pid_t pid = fork();
  if (pid < 0) {
    if (error) *error = "fork failed";
    return false;
  }
  if (pid == 0) {
    close(fds[0]);
    const std::string fd = std::to_string(fds[1]);
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  // Xvfb writes the display number it took once it accepts connections.
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  while (poll(&p, 1, 20000) > 0) {
    char c;
    if (read(fds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (error) *error = "Xvfb did not start (is the xvfb package installed?)";
    return false;
  }
  server_pid = pid;
  display = ":" + number;
  setenv("DISPLAY", display.c_str(), 1);
  std::atexit(stop_server);
  return true;
}

std::string x_display() { return display; }

}  // namespace test_support
