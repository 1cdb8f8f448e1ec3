#include "host/estimate/low_battery_watch.h"

#include <utility>

namespace {

// The lowest of the levels (highest first) at or above the value, if any.
std::optional<int> LowestReached(const std::vector<int>& levels, double value) {
  std::optional<int> reached;
  for (const int level : levels) {
    if (value <= level) reached = level;
  }
  return reached;
}

// Whether `reached` is below every level warned of so far, and then takes it as warned of.
bool Newly(const std::optional<int>& reached, std::optional<int>& warned) {
  if (!reached || (warned && *warned <= *reached)) return false;
  warned = reached;
  return true;
}

// A level warned of is one of the levels, so they are not empty.
bool IsLowest(const std::optional<int>& warned, const std::vector<int>& levels) {
  return warned && *warned == levels.back();
}

}  // namespace

LowBatteryWatch::LowBatteryWatch(WarningLevels levels) : levels_(std::move(levels)) {}

std::optional<WarningChange> LowBatteryWatch::Observe(const BatteryReading& reading) {
  if (!reading.onBattery) {
    if (!warnedPercent_ && !warnedMinutes_) return std::nullopt;
    warnedPercent_.reset();
    warnedMinutes_.reset();
    return WithdrawWarning{};
  }
  if (!reading.percent) return std::nullopt;
  const std::optional<int> percentReached = LowestReached(levels_.percents, *reading.percent);
  std::optional<int> minutesReached;
  if (reading.hoursLeft) minutesReached = LowestReached(levels_.minutes, *reading.hoursLeft * 60);
  const bool byCharge = Newly(percentReached, warnedPercent_);
  const bool byTime = Newly(minutesReached, warnedMinutes_);
  if (!byCharge && !byTime) return std::nullopt;
  return ShowWarning{
      IsLowest(warnedPercent_, levels_.percents) || IsLowest(warnedMinutes_, levels_.minutes),
      minutesReached.has_value()};
}
