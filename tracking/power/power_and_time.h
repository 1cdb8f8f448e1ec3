// The module's access to the power status and the clock. File times are held as signed 64-bit
// counts of 100 ns since 1601-01-01 UTC, which is how the plug-in compares them.
#pragma once

#include "platform/api.h"

// One hour in file-time units.
inline constexpr LONGLONG kFileTimeHour = 36000000000LL;

// The platform's power status; false when it cannot be read. Paints come in bursts, so the
// platform may answer from its reading of the last second.
bool ReadPowerStatus(SYSTEM_POWER_STATUS_EX2& status);

inline LONGLONG FileTimeValue(const FILETIME& time) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
}

inline FILETIME ToFileTime(LONGLONG value) {
  const auto bits = static_cast<ULONGLONG>(value);
  return FILETIME{static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

// A broken-down UTC time as a file time value, in whole milliseconds; 0 for an invalid time.
LONGLONG FileTimeOf(const SYSTEMTIME& utc);
// The current UTC time as a file time value.
LONGLONG UtcNow();
// The UTC broken-down time of a file time value.
SYSTEMTIME UtcTimeOf(LONGLONG utc);
// The local broken-down time of a UTC file time value.
SYSTEMTIME LocalTimeOf(LONGLONG utc);
