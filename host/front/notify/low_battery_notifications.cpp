#include "host/front/notify/low_battery_notifications.h"

#include <utility>

LowBatteryNotifications::LowBatteryNotifications(NotifyThresholds thresholds, Report report)
    : watch_(std::move(thresholds)), report_(std::move(report)) {}

void LowBatteryNotifications::Start() {
  std::string error;
  if (!service_.Reachable(error)) Failed(error);
}

void LowBatteryNotifications::Observe(const BatteryReading& reading,
                                      const std::optional<HoursLeft>& left,
                                      const std::optional<std::string>& learningNote) {
  const std::optional<WarningChange> change = watch_.Observe(reading);
  if (!change) return;
  std::string error;
  if (std::holds_alternative<WithdrawWarning>(*change)) {
    if (shown_ != 0 && !service_.Close(shown_, error)) Failed(error);
    shown_ = 0;
    return;
  }
  const ShowWarning& warning = std::get<ShowWarning>(*change);
  DesktopNotification notification;
  notification.summary = LowBatterySummary(*reading.percent);
  notification.body = LowBatteryBody(left, learningNote);
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
