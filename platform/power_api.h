// Power status of the device platform.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

#define AC_LINE_OFFLINE 0x00
#define AC_LINE_ONLINE 0x01
#define AC_LINE_BACKUP_POWER 0x02
#define AC_LINE_UNKNOWN 0xFF

#define BATTERY_FLAG_HIGH 0x01
#define BATTERY_FLAG_LOW 0x02
#define BATTERY_FLAG_CRITICAL 0x04
#define BATTERY_FLAG_CHARGING 0x08
#define BATTERY_FLAG_NO_BATTERY 0x80
#define BATTERY_FLAG_UNKNOWN 0xFF

#define BATTERY_PERCENTAGE_UNKNOWN 0xFF
#define BATTERY_LIFE_UNKNOWN 0xFFFFFFFF

#define BATTERY_CHEMISTRY_ALKALINE 0x01
#define BATTERY_CHEMISTRY_NICD 0x02
#define BATTERY_CHEMISTRY_NIMH 0x03
#define BATTERY_CHEMISTRY_LION 0x04
#define BATTERY_CHEMISTRY_LIPOLY 0x05
#define BATTERY_CHEMISTRY_ZINCAIR 0x06
#define BATTERY_CHEMISTRY_UNKNOWN 0xFF

typedef struct _SYSTEM_POWER_STATUS_EX2 {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;  // seconds
  DWORD BatteryFullLifeTime;  // seconds
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
  DWORD BatteryVoltage;  // mV
  LONG BatteryCurrent;  // mA, negative while discharging
  DWORD BatteryAverageCurrent;  // mA (the report prints it signed)
  DWORD BatteryAverageInterval;  // ms
  DWORD BatterymAHourConsumed;  // mAh
  DWORD BatteryTemperature;  // tenths of a degree Celsius
  DWORD BackupBatteryVoltage;  // mV
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

// Fills *status (length bytes, at least the record's size) from the installed power source.
// Answers the record's size on success; 0 on failure (a null record, a length below the record's
// size, a source that cannot read), with *status left as it was. With update FALSE the source may
// answer from a reading of the last second.
DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL update);
