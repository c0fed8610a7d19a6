#include "process.h"
#include "scratch.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace test_support {
namespace {

std::string temp_path(const char* tag) {
  char pattern[] = "/tmp/tarnvale-test-XXXXXX";
  int fd = mkstemp(pattern);
  if (fd >= 0) close(fd);
  return std::string(pattern) + "." + tag;
}

}  // namespace

ChildProcess::~ChildProcess() {
  kill_now();
  if (!out_path_.empty()) unlink(out_path_.c_str());
  if (!err_path_.empty()) unlink(err_path_.c_str());
}

bool ChildProcess::start(const std::vector<std::string>& argv, const std::string& working_dir,
                         const std::vector<std::string>& env) {
  if (argv.empty()) return false;
  out_path_ = temp_path("out");
  err_path_ = temp_path("err");
  pid_ = fork();
  if (pid_ < 0) return false;
  if (pid_ == 0) {
    int out = open(out_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int in = open("/dev/null", O_RDONLY);
    dup2(out, 1);
    dup2(err, 2);
    dup2(in, 0);
    if (chdir(working_dir.c_str()) != 0) _exit(126);
    for (const auto& e : env) putenv(const_cast<char*>(e.c_str()));
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  return true;
}

bool ChildProcess::running() {
  if (pid_ <= 0) return false;
  int status = 0;
  pid_t r = waitpid(pid_, &status, WNOHANG);
  if (r == 0) return true;
  if (r == pid_) exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  pid_ = -1;
  return false;
}

bool ChildProcess::wait(double timeout_seconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  while (running()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void ChildProcess::kill_now() {
  if (pid_ > 0 && running()) {
    kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    exit_code_ = -SIGKILL;
    pid_ = -1;
  }
}

std::string ChildProcess::out() const { return read_file(out_path_); }
std::string ChildProcess::err() const { return read_file(err_path_); }

ProcessResult run_process(const std::vector<std::string>& argv, const std::string& working_dir,
                          double timeout_seconds, const std::vector<std::string>& env) {
  ProcessResult result;
  ChildProcess child;
  if (!child.start(argv, working_dir, env)) return result;
  result.timed_out = !child.wait(timeout_seconds);
  if (result.timed_out) child.kill_now();
  result.exit_code = child.exit_code();
  result.out = child.out();
  result.err = child.err();
  return result;
}

std::string built_program(const std::string& name) {
#ifdef TARNVALE_BINARY_DIR
  return std::string(TARNVALE_BINARY_DIR) + "/bin/" + name;
#else
  return name;
#endif
}

bool wait_for_output(ChildProcess& child, const std::string& text, double timeout_seconds,
                     int times) {
  auto printed = [&] { return count_of(child.out(), text) + count_of(child.err(), text) >= times; };
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (printed()) return true;
    if (!child.running()) return printed();  // it may have printed just before it ended
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

}  // namespace test_support
