// Low-battery warnings on the desktop: the watch decides, the notification service shows them.
// Each warning replaces the one before it in the same discharge, and power coming back withdraws
// it. Without a session bus or a notification service the run goes on and says so once; each later
// warning tries again, so that a notification service started after the program is found.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/front/notify/desktop_notifications.h"
#include "host/front/notify/low_battery_text.h"
#include "host/front/notify/low_battery_watch.h"

class LowBatteryNotifications {
 public:
  // Given one line for standard error, without the program's prefix.
  using Report = std::function<void(const std::string& message)>;

  LowBatteryNotifications(NotifyThresholds thresholds, Report report);

  // Reports at once when no notification service answers.
  void Start();

  // `left` and `learningNote` go into the text of a warning the reading brings.
  void Observe(const BatteryReading& reading, const std::optional<HoursLeft>& left,
               const std::optional<std::string>& learningNote);

 private:
  void Failed(const std::string& error);

  LowBatteryWatch watch_;
  Report report_;
  DesktopNotifications service_;
  // The notification shown in this discharge, 0 for none.
  uint32_t shown_ = 0;
  bool reported_ = false;
};
