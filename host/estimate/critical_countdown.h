// When the keeper takes the critical action: at or below the critical level on battery a countdown
// starts, and a fresh reading at its end, still on battery at or below the level, takes the action.
// Any reading that is not (on mains, the charge not known, a charge above the level) cancels it.
// The action is taken at most once per discharge: only power coming back starts a new one. Where
// the action cannot be taken at all, the warning at the level says so, once per discharge, and
// nothing counts down.
#pragma once

#include <optional>

#include "host/estimate/low_battery_watch.h"
#include "platform/win_types.h"

enum class CriticalStep {
  Warn,      // show the critical warning: the countdown, or that the action will not happen
  Withdraw,  // withdraw that warning
  Act,       // take the action now
};

class CriticalCountdown {
 public:
  static constexpr int kSeconds = 60;

  // level: the charge in percent at or below which it counts down; canAct: whether the action can
  // be taken at all.
  CriticalCountdown(int level, bool canAct) : level_(level), canAct_(canAct) {}

  // What the reading at `now` (file time of the installed clock) brings.
  std::optional<CriticalStep> Observe(const BatteryReading& reading, ULONGLONG now);

  // The end of the running countdown, when a fresh reading is due; nullopt when none runs. After
  // the clock was set back it is never further ahead of `now` than the countdown's length.
  std::optional<ULONGLONG> Deadline(ULONGLONG now);

 private:
  int level_;
  bool canAct_;
  std::optional<ULONGLONG> deadline_;
  // Acted, or warned that it cannot, in this discharge.
  bool done_ = false;
};
