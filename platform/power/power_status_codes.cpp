#include "platform/power/power_status_codes.h"

SYSTEM_POWER_STATUS_EX2 UndeterminedPowerStatus() {
  SYSTEM_POWER_STATUS_EX2 status{};
  status.ACLineStatus = AC_LINE_UNKNOWN;
  status.BatteryFlag = BATTERY_FLAG_UNKNOWN;
  status.BatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  status.BatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  status.BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  status.BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
  status.BackupBatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  status.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  status.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  status.BatteryChemistry = BATTERY_CHEMISTRY_UNKNOWN;
  return status;
}

BYTE BatteryFlagFor(int percent, bool charging) {
  if (charging) return BATTERY_FLAG_CHARGING;
  if (percent < 5) return BATTERY_FLAG_CRITICAL;
  if (percent < 33) return BATTERY_FLAG_LOW;
  // The record has no code between low and high: a battery that is not low counts as high.
  return BATTERY_FLAG_HIGH;
}
