#include "windows/platform/device_extras.h"

#include <initializer_list>

BYTE DeviceBatteryFlag(BYTE desktopFlag) {
  if (desktopFlag == BATTERY_FLAG_UNKNOWN) return BATTERY_FLAG_UNKNOWN;
  for (BYTE code : {BATTERY_FLAG_CHARGING, BATTERY_FLAG_NO_BATTERY, BATTERY_FLAG_CRITICAL,
                    BATTERY_FLAG_LOW, BATTERY_FLAG_HIGH}) {
    if ((desktopFlag & code) != 0) return code;
  }
  // The desktop's 0 (between low and high) is no device code: a battery that is not low is high.
  return BATTERY_FLAG_HIGH;
}

DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL /*update*/) {
  if (status == nullptr || length < sizeof(SYSTEM_POWER_STATUS_EX2)) return 0;
  SYSTEM_POWER_STATUS desktop;
  if (!GetSystemPowerStatus(&desktop)) return 0;

  SYSTEM_POWER_STATUS_EX2 record{};
  record.ACLineStatus = desktop.ACLineStatus;
  record.BatteryFlag = DeviceBatteryFlag(desktop.BatteryFlag);
  record.BatteryLifePercent = desktop.BatteryLifePercent;
  record.BatteryLifeTime = desktop.BatteryLifeTime;
  record.BatteryFullLifeTime = desktop.BatteryFullLifeTime;
  record.BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
  record.BackupBatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  record.BackupBatteryLifeTime = BATTERY_LIFE_UNKNOWN;
  record.BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  record.BatteryChemistry = BATTERY_CHEMISTRY_UNKNOWN;
  *status = record;
  return sizeof record;
}
