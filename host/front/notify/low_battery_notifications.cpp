#include "host/front/notify/low_battery_notifications.h"

#include <utility>

namespace {

// The icon names of the freedesktop icon naming.
constexpr const char* kLowBatteryIcon = "battery-low";
constexpr const char* kCriticalBatteryIcon = "battery-caution";

}  // namespace

LowBatteryNotifications::LowBatteryNotifications(Report report) : report_(std::move(report)) {}

void LowBatteryNotifications::Start() {
  std::string error;
  if (!service_.Reachable(error)) Failed(error);
}

void LowBatteryNotifications::Deliver(const LineWarning& change) {
  std::string error;
  if (std::holds_alternative<WithdrawWarning>(change)) {
    if (shown_ != 0 && !service_.Close(shown_, error)) Failed(error);
    shown_ = 0;
    return;
  }
  const WarningToShow& warning = std::get<WarningToShow>(change);
  DesktopNotification notification;
  notification.summary = warning.summary;
  notification.body = warning.body;
  notification.icon = warning.critical ? kCriticalBatteryIcon : kLowBatteryIcon;
  notification.critical = warning.critical;
  notification.replaces = shown_;
  if (const std::optional<uint32_t> id = service_.Show(notification, error)) {
    shown_ = *id;
  } else {
    Failed(error);
  }
}

void LowBatteryNotifications::Failed(const std::string& error) {
  if (reported_) return;
  reported_ = true;
  report_("no desktop notifications: " + error + "; tried again at each warning");
}
