// When to warn about a low battery: once per threshold per discharge, as the charge falls to or
// below it on battery; the warning of the lowest threshold is the critical one. Power coming back
// ends the discharge: the warning shown is withdrawn and every threshold counts again.
#pragma once

#include <optional>
#include <variant>

#include "host/estimate/notify_thresholds.h"

struct BatteryReading {
  bool onBattery = false;      // discharging, off mains
  std::optional<int> percent;  // nullopt when the charge is not known
};

struct ShowWarning {
  int threshold;
  bool critical;  // the lowest threshold
  bool operator==(const ShowWarning&) const = default;
};
struct WithdrawWarning {
  bool operator==(const WithdrawWarning&) const = default;
};
using WarningChange = std::variant<ShowWarning, WithdrawWarning>;

class LowBatteryWatch {
 public:
  explicit LowBatteryWatch(NotifyThresholds thresholds);

  // What the reading changes; nothing when a warning for the level reached was already shown in
  // this discharge (a charge that falls past several thresholds at once warns once, for the
  // lowest).
  std::optional<WarningChange> Observe(const BatteryReading& reading);

 private:
  NotifyThresholds thresholds_;
  // The lowest threshold warned of in this discharge.
  std::optional<int> warned_;
};
