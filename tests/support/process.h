#pragma once
#include <string>
#include <vector>

namespace test_support {

// A child process whose standard output and error are captured to files.
class ChildProcess {
public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();  // kills a child that still runs

  // argv[0] is looked up in PATH unless it holds a slash. env entries are "NAME=value" added to
  // this process's environment.
  bool start(const std::vector<std::string>& argv, const std::string& working_dir = ".",
             const std::vector<std::string>& env = {});
  // Waits up to timeout seconds; true when the child ended (exit_code() is then valid).
  bool wait(double timeout_seconds);
  bool running();
  void kill_now();

  int exit_code() const { return exit_code_; }  // -signal when killed by a signal
  std::string out() const;
  std::string err() const;
  int pid() const { return pid_; }

private:
  int pid_ = -1;
  int exit_code_ = -1;
  std::string out_path_, err_path_;
};

struct ProcessResult {
  int exit_code = -1;
  bool timed_out = false;
  std::string out, err;
};

// Runs to the end (or kills after timeout seconds) and returns what it printed.
ProcessResult run_process(const std::vector<std::string>& argv, const std::string& working_dir = ".",
                          double timeout_seconds = 60, const std::vector<std::string>& env = {});

// Waits until the child's standard output and error hold `text` at least `times` times in all;
// false when time runs out or the child ends without it.
bool wait_for_output(ChildProcess& child, const std::string& text, double timeout_seconds,
                     int times = 1);

// How often `part` stands in `text`.
int count_of(const std::string& text, const std::string& part);

// Path of a program built by this project ("tarnvale" -> <build>/bin/tarnvale).
std::string built_program(const std::string& name);

}  // namespace test_support
