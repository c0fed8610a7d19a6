// What the start-up check of the data costs the program: the checker's checks of the shipped
// data in the process forked for them, against the peer, tarnvale-check run as a program on the
// same data. Run from the top of the repository (the shipped cfg/ and res/).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <sstream>

#include "data_check.h"

extern char** environ;

namespace {

// CPU milliseconds of the ended child processes so far.
double children_cpu_ms() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-3;
}

// The check's own CPU time is the child's: a counter, beside the wall time the program waits at
// most.
void count_child_cpu(benchmark::State& state, double before) {
  state.counters["child_cpu_ms"] = benchmark::Counter((children_cpu_ms() - before) / state.iterations());
}

void BM_StartUpCheck(benchmark::State& state) {
  const double before = children_cpu_ms();
  for (auto _ : state) {
    DataCheck check;
    check.start(false);  // as in a window run, which loads the video driver itself
    std::ostringstream lines;
    if (check.finish(lines) != 0) state.SkipWithError(("the shipped data has problems: " + lines.str()).c_str());
  }
  count_child_cpu(state, before);
}
BENCHMARK(BM_StartUpCheck)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CheckerProgram(benchmark::State& state) {
  const std::string program = TARNVALE_CHECKER;
  char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  const double before = children_cpu_ms();
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", 0, 0);
  for (auto _ : state) {
    pid_t pid = 0;
    int status = 0;
    if (posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
      state.SkipWithError("tarnvale-check did not check the shipped data clean");
  }
  posix_spawn_file_actions_destroy(&quiet);
  count_child_cpu(state, before);
}
BENCHMARK(BM_CheckerProgram)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
