#include "tests/fakes/fixed_power_source.h"

FixedPowerSource::FixedPowerSource() : record{} { OnBattery(85); }

bool FixedPowerSource::Read(SYSTEM_POWER_STATUS_EX2& status, bool /*update*/) {
  ++reads;
  if (failing) return false;
  status = record;
  return true;
}

void FixedPowerSource::OnBattery(BYTE percent) {
  record.ACLineStatus = AC_LINE_OFFLINE;
  record.BatteryFlag = percent > 66 ? BATTERY_FLAG_HIGH : percent < 33 ? BATTERY_FLAG_LOW : 0;
  record.BatteryLifePercent = percent;
  record.BatteryCurrent = -151;
}

void FixedPowerSource::OnMains(BYTE percent) {
  record.ACLineStatus = AC_LINE_ONLINE;
  record.BatteryFlag = BATTERY_FLAG_CHARGING;
  record.BatteryLifePercent = percent;
  record.BatteryCurrent = 900;
}
