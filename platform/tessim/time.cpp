#include "tessim/time.h"

#include <time.h>

#include <algorithm>
#include <cmath>

namespace {

double real_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Starts at the next whole second (stopwatches started before see a jump of under a second,
// never time running backwards). Sums of whole seconds and steps of float precision (a frame of
// 1 / LimitFPS) stay exact in a double for years of frames, so a stopwatch that is reset every
// frame reads exactly one step, not a hair less.
struct SteppedClock {
  bool in_use = false;
  double now = 0;
};

SteppedClock& stepped() {
  static SteppedClock clock;
  return clock;
}

double now_seconds() { return stepped().in_use ? stepped().now : real_seconds(); }

}  // namespace

Time::Time() : start_(now_seconds()) {}
Time::~Time() = default;
void Time::reset() { start_ = now_seconds(); }
double Time::get_elapsed_time_noreset() const { return now_seconds() - start_; }
// A stopwatch started during the held time never reads less than nothing.
void Time::postpone(double seconds) { start_ = std::min(start_ + seconds, now_seconds()); }

void Time::use_stepped_clock() {
  if (stepped().in_use) return;
  stepped().now = std::ceil(real_seconds());
  stepped().in_use = true;
}

void Time::use_real_clock() { stepped().in_use = false; }

bool Time::stepped_clock_in_use() { return stepped().in_use; }

void Time::advance_stepped_clock(double seconds) {
  if (!stepped().in_use || !std::isfinite(seconds) || seconds < 0) return;
  stepped().now += seconds;
}
