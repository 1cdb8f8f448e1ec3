// How the event loop's time runs. On the real clock it runs by itself. A simulated clock runs
// `speed` times faster than real time: the loop moves it on before each round by the real time
// elapsed since the start, and sleeps correspondingly shorter until the next deadline.
#pragma once

#include <chrono>
#include <functional>
#include <optional>

#include "platform/time/simulated_clock.h"

class ClockPacer {
 public:
  using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;

  // The real clock.
  ClockPacer() = default;
  // The simulated clock, from its instant now on. steadyNow is a monotonic clock, for tests.
  ClockPacer(SimulatedClock& clock, double speed,
             SteadyNow steadyNow = std::chrono::steady_clock::now);

  // Brings the simulated clock up to the real time elapsed times speed; never moves it back.
  void CatchUp();

  // How long in real milliseconds the loop may wait for input before the deadline (file time) is
  // due at `now`: 0 when it is due, never more than capMs.
  int PollTimeoutMs(std::optional<ULONGLONG> deadline, ULONGLONG now, int capMs) const;

  double speed() const { return speed_; }
  bool simulated() const { return clock_ != nullptr; }

 private:
  SimulatedClock* clock_ = nullptr;
  double speed_ = 1.0;
  SteadyNow steadyNow_;
  std::chrono::steady_clock::time_point startedAt_;
  ULONGLONG startUtc_ = 0;
};
