#pragma once

// A stopwatch on the monotonic clock.
class Time {
public:
  Time();
  virtual ~Time();
  void reset();
  // Seconds since the last reset (or construction).
  double get_elapsed_time_noreset() const;

private:
  double start_;
};
