#include "host/notify/low_battery_notifications.h"

#include <utility>

namespace {

// The icon names of the freedesktop icon naming.
constexpr const char* kLowBatteryIcon = "battery-low";
constexpr const char* kCriticalBatteryIcon = "battery-caution";

}  // namespace

LowBatteryNotifications::LowBatteryNotifications(Report report, uint64_t callTimeoutUs)
    : report_(std::move(report)),
      service_(callTimeoutUs),
      warning_(service_, [this](const std::string& problem) { Failed(problem); }) {}

void LowBatteryNotifications::Start() {
  if (const std::optional<std::string> problem = service_.Connect()) Failed(*problem);
}

void LowBatteryNotifications::Deliver(const LineWarning& change) {
  if (std::holds_alternative<WithdrawWarning>(change)) {
    warning_.Withdraw();
    return;
  }
  const WarningToShow& warning = std::get<WarningToShow>(change);
  DesktopNotification notification;
  notification.summary = warning.summary;
  notification.body = warning.body;
  notification.icon = warning.critical ? kCriticalBatteryIcon : kLowBatteryIcon;
  notification.critical = warning.critical;
  warning_.Show(std::move(notification));
}

bool LowBatteryNotifications::Serve() {
  return service_.Serve() == DesktopNotifications::Bus::Open;
}

void LowBatteryNotifications::Failed(const std::string& error) {
  if (reported_) return;
  reported_ = true;
  report_("no desktop notifications: " + error + "; tried again at each warning");
}
