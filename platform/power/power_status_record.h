// The device's extended power status record, byte for byte, and its chemistry codes. Shared by both
// builds: the includer provides BYTE, DWORD and LONG (the system headers or the stand-in's types).
#pragma once

#include <cstddef>

// Battery chemistry codes of the power status record; the desktop reports none.
#define BATTERY_CHEMISTRY_ALKALINE 0x01
#define BATTERY_CHEMISTRY_NICD 0x02
#define BATTERY_CHEMISTRY_NIMH 0x03
#define BATTERY_CHEMISTRY_LION 0x04
#define BATTERY_CHEMISTRY_LIPOLY 0x05
#define BATTERY_CHEMISTRY_ZINCAIR 0x06
#define BATTERY_CHEMISTRY_UNKNOWN 0xFF

// The device's extended power status record, byte for byte.
typedef struct _SYSTEM_POWER_STATUS_EX2 {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;      // seconds
  DWORD BatteryFullLifeTime;  // seconds
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
  DWORD BatteryVoltage;          // mV
  LONG BatteryCurrent;           // mA, negative while discharging
  DWORD BatteryAverageCurrent;   // mA
  DWORD BatteryAverageInterval;  // ms
  DWORD BatterymAHourConsumed;   // mAh
  DWORD BatteryTemperature;      // tenths of a degree Celsius
  DWORD BackupBatteryVoltage;    // mV
  BYTE BatteryChemistry;
} SYSTEM_POWER_STATUS_EX2, *PSYSTEM_POWER_STATUS_EX2;

static_assert(sizeof(SYSTEM_POWER_STATUS_EX2) == 56, "the record is 56 bytes");
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryLifeTime) == 4);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, Reserved2) == 12);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryLifeTime) == 16);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryVoltage) == 24);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryCurrent) == 28);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryTemperature) == 44);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BackupBatteryVoltage) == 48);
static_assert(offsetof(SYSTEM_POWER_STATUS_EX2, BatteryChemistry) == 52);
