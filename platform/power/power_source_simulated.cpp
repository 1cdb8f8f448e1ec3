#include "platform/power/power_source_simulated.h"

#include <algorithm>
#include <cmath>

#include "platform/time/calendar.h"
#include "platform/time/clock.h"
#include "platform/power/power_status_codes.h"

namespace {

constexpr double kEmptyMillivolts = 3600.0;
constexpr double kFullMillivolts = 4200.0;
constexpr DWORD kRoomTemperatureTenths = 250;

double Hours(ULONGLONG units) {
  return static_cast<double>(units) / static_cast<double>(kFileTimeUnitsPerHour);
}

LONGLONG FloorDivide(LONGLONG value, LONGLONG divisor) {
  const LONGLONG quotient = value / divisor;
  return value % divisor < 0 ? quotient - 1 : quotient;
}

// Local hour of day at utc, and the UTC instant at which that local hour ends.
struct LocalHour {
  int hourOfDay;
  ULONGLONG endsAt;
};

LocalHour LocalHourAt(Clock& clock, ULONGLONG utc) {
  const LONGLONG offset = clock.LocalOffsetAt(utc);
  const auto hourUnits = static_cast<LONGLONG>(kFileTimeUnitsPerHour);
  const LONGLONG localHours = FloorDivide(static_cast<LONGLONG>(utc) + offset, hourUnits);
  const auto hourOfDay = static_cast<int>(((localHours % 24) + 24) % 24);
  return LocalHour{hourOfDay, static_cast<ULONGLONG>((localHours + 1) * hourUnits - offset)};
}

SimulatedBattery::DrainProfile WithoutNegatives(SimulatedBattery::DrainProfile profile) {
  for (double& rate : profile) rate = std::max(0.0, rate);
  return profile;
}

DWORD Seconds(double hours) { return static_cast<DWORD>(std::lround(hours * 3600.0)); }

}  // namespace

bool ChargingHabit::InNight(int hourOfDay) const {
  if (plugInHour <= unplugHour) return hourOfDay >= plugInHour && hourOfDay < unplugHour;
  return hourOfDay >= plugInHour || hourOfDay < unplugHour;
}

SimulatedBattery::DrainProfile SimulatedBattery::DefaultDrainProfile() {
  return {1, 1, 1, 1, 1, 1, 2, 4, 5, 4, 4, 4, 5, 4, 4, 4, 4, 5, 6, 6, 5, 4, 3, 2};
}

SimulatedBattery::SimulatedBattery(double percent, const DrainProfile& profile)
    : percent_(std::clamp(percent, 0.0, 100.0)),
      profile_(WithoutNegatives(profile)),
      updatedAt_(CurrentClock().UtcNow()) {}

void SimulatedBattery::CatchUp() {
  Clock& clock = CurrentClock();
  const ULONGLONG now = clock.UtcNow();
  ULONGLONG t = updatedAt_;
  updatedAt_ = now;
  // One step per local hour, each at that hour's rate; the habit acts where the night begins or
  // ends, and where the charge crosses its threshold or becomes full.
  while (t < now) {
    const LocalHour hour = LocalHourAt(clock, t);
    t = RunWithinHour(t, std::min(now, hour.endsAt), hour.hourOfDay);
    if (habit_ && t == hour.endsAt) {
      const bool nightBefore = habit_->InNight(hour.hourOfDay);
      const bool nightAfter = habit_->InNight(LocalHourAt(clock, t).hourOfDay);
      if (nightBefore != nightAfter) {
        onMains_ = nightAfter;
        toppingUp_ = false;
      }
    }
  }
}

ULONGLONG SimulatedBattery::RunWithinHour(ULONGLONG from, ULONGLONG to, int hourOfDay) {
  const double hours = Hours(to - from);
  // A switch takes at least one unit of time, so that the walk always moves on.
  const auto after = [from, to](double switchHours) {
    const auto units =
        static_cast<ULONGLONG>(switchHours * static_cast<double>(kFileTimeUnitsPerHour));
    return std::min(to, from + std::max<ULONGLONG>(units, 1));
  };
  if (onMains_) {
    const double hoursToFull = chargeRate_ > 0.0 ? (100.0 - percent_) / chargeRate_ : hours + 1.0;
    if (toppingUp_ && hoursToFull < hours) {
      percent_ = 100.0;
      onMains_ = false;
      toppingUp_ = false;
      return after(hoursToFull);
    }
    percent_ = std::min(100.0, percent_ + chargeRate_ * hours);
    return to;
  }
  const double rate = profile_[hourOfDay];
  if (habit_ && rate > 0.0 && percent_ - rate * hours <= habit_->plugBelowPercent) {
    const double hoursToThreshold = std::max(0.0, (percent_ - habit_->plugBelowPercent) / rate);
    percent_ = std::min(percent_, habit_->plugBelowPercent);
    onMains_ = true;
    toppingUp_ = true;
    return after(hoursToThreshold);
  }
  // An empty battery stays empty.
  percent_ = std::max(0.0, percent_ - rate * hours);
  return to;
}

double SimulatedBattery::DrainRateAt(ULONGLONG utc) {
  return profile_[LocalHourAt(CurrentClock(), utc).hourOfDay];
}

bool SimulatedBattery::Read(SYSTEM_POWER_STATUS_EX2& status, bool /*update*/) {
  if (failing_) return false;
  CatchUp();
  const auto percent = static_cast<int>(std::lround(percent_));
  status = UndeterminedPowerStatus();
  status.ACLineStatus = onMains_ ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
  status.BatteryFlag = BatteryFlagFor(percent, Charging());
  status.BatteryLifePercent = static_cast<BYTE>(percent);
  const double drainRate = DrainRateAt(updatedAt_);
  if (!onMains_ && drainRate > 0.0) {
    status.BatteryLifeTime = Seconds(percent_ / drainRate);
    status.BatteryFullLifeTime = Seconds(100.0 / drainRate);
  }
  status.BatteryVoltage = VoltageMillivolts();
  status.BatteryCurrent = CurrentMilliamps();
  status.BatteryAverageCurrent = static_cast<DWORD>(status.BatteryCurrent);
  status.BatterymAHourConsumed =
      static_cast<DWORD>(std::lround((100.0 - percent_) * kCapacityMilliampHours / 100.0));
  status.BatteryTemperature = kRoomTemperatureTenths;
  status.BatteryChemistry = BATTERY_CHEMISTRY_LION;
  return true;
}

void SimulatedBattery::SetPercent(double percent) {
  CatchUp();
  percent_ = std::clamp(percent, 0.0, 100.0);
}

void SimulatedBattery::SetOnMains(bool onMains) {
  CatchUp();
  onMains_ = onMains;
}

void SimulatedBattery::SetChargeRate(double pointsPerHour) {
  CatchUp();
  chargeRate_ = std::max(0.0, pointsPerHour);
}

void SimulatedBattery::SetDrainProfile(const DrainProfile& profile) {
  CatchUp();
  profile_ = WithoutNegatives(profile);
}

void SimulatedBattery::FollowHabit(const ChargingHabit& habit) {
  CatchUp();
  habit_ = habit;
  habit_->plugBelowPercent = std::clamp(habit.plugBelowPercent, 0.0, 99.0);
  onMains_ = habit_->InNight(LocalHourAt(CurrentClock(), updatedAt_).hourOfDay);
  toppingUp_ = false;
}

void SimulatedBattery::SetFailing(bool failing) { failing_ = failing; }

double SimulatedBattery::Percent() {
  CatchUp();
  return percent_;
}

bool SimulatedBattery::OnMains() {
  CatchUp();
  return onMains_;
}

LONG SimulatedBattery::CurrentMilliamps() {
  CatchUp();
  double pointsPerHour = 0.0;
  if (Charging()) {
    pointsPerHour = chargeRate_;
  } else if (!onMains_) {
    pointsPerHour = percent_ > 0.0 ? -DrainRateAt(updatedAt_) : 0.0;
  }
  return static_cast<LONG>(std::lround(pointsPerHour * kCapacityMilliampHours / 100.0));
}

DWORD SimulatedBattery::VoltageMillivolts() {
  CatchUp();
  return static_cast<DWORD>(
      std::lround(kEmptyMillivolts + (kFullMillivolts - kEmptyMillivolts) * percent_ / 100.0));
}
