#pragma once
// CPU time of the calling thread: what the engine spends, without the rasteriser's worker threads
// or time asleep in the frame limiter.
#include <time.h>

inline double thread_cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec * 1e-9;
}
