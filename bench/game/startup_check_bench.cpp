// What the start-up check of the data costs the program: the checker's checks of the shipped
// data in the process forked for them, against the peer, tarnvale-check run as a program on the
// same data. Run from the top of the repository (the shipped cfg/ and res/).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <sstream>

#include "data_check.h"

extern char** environ;

namespace {

void BM_StartUpCheck(benchmark::State& state) {
  for (auto _ : state) {
    DataCheck check;
    check.start();
    std::ostringstream lines;
    if (check.finish(lines) != 0) state.SkipWithError(("the shipped data has problems: " + lines.str()).c_str());
  }
}
BENCHMARK(BM_StartUpCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckerProgram(benchmark::State& state) {
  const std::string program = TARNVALE_CHECKER;
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", 0, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      state.SkipWithError("tarnvale-check did not check the shipped data clean");
  }
  posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_CheckerProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
