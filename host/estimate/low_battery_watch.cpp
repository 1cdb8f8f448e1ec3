#include "host/estimate/low_battery_watch.h"

#include <utility>

LowBatteryWatch::LowBatteryWatch(NotifyThresholds thresholds)
    : thresholds_(std::move(thresholds)) {}

std::optional<WarningChange> LowBatteryWatch::Observe(const BatteryReading& reading) {
  if (!reading.onBattery) {
    if (!warned_) return std::nullopt;
    warned_.reset();
    return WithdrawWarning{};
  }
  if (!reading.percent) return std::nullopt;
  // Thresholds run from the highest down: the last one reached is the lowest.
  std::optional<int> reached;
  for (const int threshold : thresholds_) {
    if (*reading.percent <= threshold) reached = threshold;
  }
  if (!reached || (warned_ && *warned_ <= *reached)) return std::nullopt;
  warned_ = reached;
  return ShowWarning{*reached, *reached == CriticalLevel(thresholds_)};
}
