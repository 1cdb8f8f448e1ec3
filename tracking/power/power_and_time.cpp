#include "tracking/power/power_and_time.h"

bool ReadPowerStatus(SYSTEM_POWER_STATUS_EX2& status) {
  return GetSystemPowerStatusEx2(&status, sizeof status, FALSE) != 0;
}

LONGLONG FileTimeOf(const SYSTEMTIME& utc) {
  FILETIME time{};
  SystemTimeToFileTime(&utc, &time);
  return FileTimeValue(time);
}

LONGLONG UtcNow() {
  SYSTEMTIME utc;
  GetSystemTime(&utc);
  return FileTimeOf(utc);
}

SYSTEMTIME UtcTimeOf(LONGLONG utc) {
  const FILETIME time = ToFileTime(utc);
  SYSTEMTIME broken{};
  FileTimeToSystemTime(&time, &broken);
  return broken;
}

SYSTEMTIME LocalTimeOf(LONGLONG utc) {
  const FILETIME time = ToFileTime(utc);
  FILETIME local{};
  FileTimeToLocalFileTime(&time, &local);
  SYSTEMTIME broken{};
  FileTimeToSystemTime(&local, &broken);
  return broken;
}
