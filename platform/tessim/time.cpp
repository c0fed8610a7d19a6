#include "tessim/time.h"

#include <time.h>

namespace {
double now_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}
}  // namespace

Time::Time() : start_(now_seconds()) {}
Time::~Time() = default;
void Time::reset() { start_ = now_seconds(); }
double Time::get_elapsed_time_noreset() const { return now_seconds() - start_; }
