// Low-battery warnings on the desktop: LineWarnings decides, the notification service shows them.
// Each warning replaces the one before it in the same discharge, and power coming back withdraws
// it. Without a session bus or a notification service the run goes on and says so once; each later
// warning tries again, so that a notification service started after the program is found.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/estimate/line_warnings.h"
#include "host/front/notify/desktop_notifications.h"

class LowBatteryNotifications {
 public:
  // Given one line for standard error, without the program's prefix.
  using Report = std::function<void(const std::string& message)>;

  explicit LowBatteryNotifications(Report report);

  // Reports at once when no notification service answers.
  void Start();

  // Shows the warning, replacing the one shown before, or withdraws the one shown.
  void Deliver(const LineWarning& warning);

 private:
  void Failed(const std::string& error);

  Report report_;
  DesktopNotifications service_;
  // The notification shown in this discharge, 0 for none.
  uint32_t shown_ = 0;
  bool reported_ = false;
};
