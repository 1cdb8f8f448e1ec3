// The keeper's critical action over its painted lines (CriticalCountdown): whether the system can
// take it is asked once, at the start, and one it cannot take said once; at the level the critical
// warning counts down, or says what will not happen; at the countdown's end the plug-in's state is
// saved, then the action asked for. Only the run that keeps the files has one.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/act/critical_action.h"
#include "host/act/critical_action_taker.h"
#include "host/estimate/critical_countdown.h"
#include "host/notify/battery_notifications.h"

struct CriticalActionPlan {
  CriticalAction action;
  int level;  // percent: at or below it on battery the action counts down
  bool operator==(const CriticalActionPlan&) const = default;
};

class CriticalActionWatch {
 public:
  // Saves the plug-in's state; throws HostError when it cannot.
  using Save = std::function<void()>;

  // Asks at once whether the action can be taken, and says so on standard error when not. The
  // warnings go to `notifications`, in the slot of the low-battery warnings.
  CriticalActionWatch(const CriticalActionPlan& plan, BatteryNotifications& notifications,
                      Save save);

  // Each painted line: a fresh reading.
  void Observe(const std::string& line);
  // When the countdown ends and a fresh reading is due; nullopt while none runs.
  std::optional<ULONGLONG> ReadingDue();

 private:
  void Act(int percent);

  CriticalActionTaker taker_;
  std::string doing_;
  // Why the action cannot be taken, when it cannot.
  std::optional<std::string> cannot_;
  CriticalCountdown countdown_;
  BatteryNotifications& notifications_;
  Save save_;
};
