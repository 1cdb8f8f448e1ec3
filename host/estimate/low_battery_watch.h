// When to warn about a low battery: once per level per discharge, as the charge falls to or below
// a charge level, or the hours to show to or below a time level, on battery. Power coming back
// ends the discharge: the warning shown is withdrawn and every level counts again.
//
// A warning covers every level reached when it is shown: a time level that a warning's figure had
// already reached brings no warning of its own later, as it would say nothing new. The warning of
// the lowest charge level or the lowest time level is critical, and so is every warning after it
// in the discharge, each replacing the one before.
#pragma once

#include <optional>
#include <variant>

#include "host/estimate/notify_thresholds.h"

struct BatteryReading {
  bool onBattery = false;                // discharging, off mains
  std::optional<int> percent;            // nullopt when the charge is not known
  std::optional<double> hoursLeft = {};  // the hours to show; nullopt when there are none
};

struct ShowWarning {
  bool critical;
  bool inMinutes;  // the hours left are at or below a time level: the words state minutes
  bool operator==(const ShowWarning&) const = default;
};
struct WithdrawWarning {
  bool operator==(const WithdrawWarning&) const = default;
};
using WarningChange = std::variant<ShowWarning, WithdrawWarning>;

class LowBatteryWatch {
 public:
  explicit LowBatteryWatch(WarningLevels levels);

  // What the reading changes; nothing when the levels reached were already warned of in this
  // discharge (falling past several levels at once warns once, for the lowest). Without a known
  // charge nothing is warned of, whatever the hours.
  std::optional<WarningChange> Observe(const BatteryReading& reading);

 private:
  WarningLevels levels_;
  // The lowest levels warned of in this discharge.
  std::optional<int> warnedPercent_;
  std::optional<int> warnedMinutes_;
};
