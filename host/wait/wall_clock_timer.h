// A timer on the machine's real-time clock that ends at a wall-clock instant, and that also ends,
// reporting it, when the clock is set (a manual change, a correction, a resume from suspend). A
// suspended machine's real-time clock moves on, so an instant passed while asleep ends the timer on
// waking.
#pragma once

#include "platform/win_types.h"

class WallClockTimer {
 public:
  enum class Expiry { None, Fired, ClockSet };

  // Throws HostError when the system cannot give such a timer.
  WallClockTimer();
  ~WallClockTimer();
  WallClockTimer(const WallClockTimer&) = delete;
  WallClockTimer& operator=(const WallClockTimer&) = delete;

  // Arms the timer for a UTC file time; one already in the past fires at once. False on failure.
  bool ArmAt(ULONGLONG utcFileTime);
  // For poll(): readable once the timer fired or the clock was set.
  int fd() const { return fd_; }
  // What made the timer readable, reset for the next arming; None when nothing did.
  Expiry Read();

 private:
  int fd_;
};
