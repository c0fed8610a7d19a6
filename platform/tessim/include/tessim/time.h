#pragma once

// A stopwatch. Every stopwatch of the process reads one clock: the monotonic clock by default,
// or a stepped clock that moves only when told to, so that a run driven frame by frame (the
// windowless video driver) times its physics, timers and bursts the same way every time.
class Time {
public:
  Time();
  virtual ~Time();
  void reset();
  // Seconds since the last reset (or construction).
  double get_elapsed_time_noreset() const;
  // Moves the start on: the elapsed time reads that many seconds less, and never below zero.
  void postpone(double seconds);

  // From now on every stopwatch reads the stepped clock, which starts at the current time so
  // that stopwatches started before keep counting.
  static void use_stepped_clock();
  // Back to the monotonic clock.
  static void use_real_clock();
  static bool stepped_clock_in_use();
  // Moves the stepped clock on; nothing happens while the real clock is in use or for
  // negative or non-finite amounts.
  static void advance_stepped_clock(double seconds);

private:
  double start_;
};
