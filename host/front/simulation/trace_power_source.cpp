#include "host/front/simulation/trace_power_source.h"

#include <algorithm>
#include <cmath>

#include "platform/power/power_status_codes.h"
#include "platform/time/clock.h"

TracePowerSource::TracePowerSource(std::vector<TraceReading> readings)
    : readings_(std::move(readings)) {}

const TraceReading& TracePowerSource::ReadingAt(ULONGLONG utc) {
  if (utc < readings_[current_].utc) current_ = 0;
  while (current_ + 1 < readings_.size() && readings_[current_ + 1].utc <= utc) ++current_;
  return readings_[current_];
}

bool TracePowerSource::Read(SYSTEM_POWER_STATUS_EX2& status, bool /*update*/) {
  status = PowerStatusOf(ReadingAt(CurrentClock().UtcNow()));
  return true;
}

SYSTEM_POWER_STATUS_EX2 PowerStatusOf(const TraceReading& reading) {
  const auto percent = static_cast<int>(std::lround(std::clamp(reading.percent, 0.0, 100.0)));
  SYSTEM_POWER_STATUS_EX2 status = UndeterminedPowerStatus();
  status.BatteryLifePercent = static_cast<BYTE>(percent);
  status.BatteryFlag = BatteryFlagFor(percent, reading.state == TraceState::Charging);
  switch (reading.state) {
    case TraceState::Discharging:
      status.ACLineStatus = AC_LINE_OFFLINE;
      break;
    case TraceState::Charging:
    case TraceState::Full:
      status.ACLineStatus = AC_LINE_ONLINE;
      break;
    case TraceState::Unknown:
      break;
  }
  return status;
}
