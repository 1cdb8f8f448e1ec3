#include "host/notify/battery_notifications.h"

#include <utility>

namespace {

// The icon names of the freedesktop icon naming, and the charged battery's of the common icon
// themes (a notification service without it shows its own).
constexpr const char* kLowBatteryIcon = "battery-low";
constexpr const char* kCriticalBatteryIcon = "battery-caution";
constexpr const char* kChargedIcon = "battery-full-charged";

}  // namespace

BatteryNotifications::BatteryNotifications(Report report, uint64_t callTimeoutUs)
    : report_(std::move(report)),
      service_(callTimeoutUs),
      warning_(service_, [this](const std::string& problem) { Failed(problem); }),
      fullCharge_(service_, [this](const std::string& problem) { Failed(problem); }) {}

// The slots still live here, to take the answers that come while the calls are written out.
BatteryNotifications::~BatteryNotifications() { service_.WriteOutSent(); }

void BatteryNotifications::Start() {
  if (const std::optional<std::string> problem = service_.Connect()) Failed(*problem);
}

void BatteryNotifications::Deliver(const LineWarning& change) {
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

void BatteryNotifications::Deliver(const FullChargeChange& change) {
  if (std::holds_alternative<WithdrawFullChargeNotice>(change)) {
    fullCharge_.Withdraw();
    return;
  }
  DesktopNotification notification;
  notification.summary = std::get<FullChargeNotice>(change).summary;
  notification.icon = kChargedIcon;
  fullCharge_.Show(std::move(notification));
}

bool BatteryNotifications::Serve() { return service_.Serve() == DesktopNotifications::Bus::Open; }

void BatteryNotifications::Failed(const std::string& error) {
  if (reported_) return;
  reported_ = true;
  report_("no desktop notifications: " + error + "; tried again at each warning");
}
