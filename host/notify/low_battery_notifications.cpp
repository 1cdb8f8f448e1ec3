#include "host/notify/low_battery_notifications.h"

#include <utility>

namespace {

// The icon names of the freedesktop icon naming.
constexpr const char* kLowBatteryIcon = "battery-low";
constexpr const char* kCriticalBatteryIcon = "battery-caution";

}  // namespace

LowBatteryNotifications::LowBatteryNotifications(Report report, uint64_t callTimeoutUs)
    : report_(std::move(report)),
      service_(
          [this](std::optional<uint32_t> id, const std::string& failure) { Answered(id, failure); },
          callTimeoutUs) {}

void LowBatteryNotifications::Start() {
  if (const std::optional<std::string> problem = service_.Connect()) Failed(*problem);
}

void LowBatteryNotifications::Deliver(const LineWarning& change) {
  if (std::holds_alternative<WithdrawWarning>(change)) {
    next_.reset();
    if (awaiting_) {
      closeOnAnswer_ = true;
    } else {
      CloseShown();
    }
    return;
  }
  const WarningToShow& warning = std::get<WarningToShow>(change);
  DesktopNotification notification;
  notification.summary = warning.summary;
  notification.body = warning.body;
  notification.icon = warning.critical ? kCriticalBatteryIcon : kLowBatteryIcon;
  notification.critical = warning.critical;
  if (awaiting_) {
    next_ = std::move(notification);
  } else {
    Send(std::move(notification));
  }
}

bool LowBatteryNotifications::Serve() {
  return service_.Serve() == DesktopNotifications::Bus::Open;
}

void LowBatteryNotifications::Send(DesktopNotification notification) {
  notification.replaces = shown_;
  const std::optional<std::string> problem = service_.Show(notification);
  awaiting_ = !problem;
  if (problem) Failed(*problem);
}

void LowBatteryNotifications::Answered(std::optional<uint32_t> id, const std::string& failure) {
  awaiting_ = false;
  if (id) {
    shown_ = *id;
  } else {
    Failed(failure);
  }
  if (closeOnAnswer_) {
    closeOnAnswer_ = false;
    CloseShown();
  }
  if (next_) {
    DesktopNotification notification = std::move(*next_);
    next_.reset();
    Send(std::move(notification));
  }
}

void LowBatteryNotifications::CloseShown() {
  if (shown_ == 0) return;
  if (const std::optional<std::string> problem = service_.Close(shown_)) Failed(*problem);
  shown_ = 0;
}

void LowBatteryNotifications::Failed(const std::string& error) {
  if (reported_) return;
  reported_ = true;
  report_("no desktop notifications: " + error + "; tried again at each warning");
}
