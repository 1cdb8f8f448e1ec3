// Time services of the device platform: UTC and local broken-down time, file times and the
// conversions between them, with exact calendar arithmetic. Local time comes from the installed
// clock service (see clock.h).
#pragma once

#include "platform/win_types.h"

// 100-nanosecond intervals since 1601-01-01 00:00 UTC.
typedef struct _FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
} FILETIME, *LPFILETIME;

typedef struct _SYSTEMTIME {
  WORD wYear;
  WORD wMonth;      // 1..12
  WORD wDayOfWeek;  // 0 Sunday..6 Saturday
  WORD wDay;        // 1..31
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

void GetSystemTime(SYSTEMTIME* utc);
void GetLocalTime(SYSTEMTIME* local);
// Fails (FALSE, output untouched) for a broken-down time that names no real instant (month 13,
// 30 February, hour 24...). The day of week is ignored on input.
BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime);
// Fails for a file time above 0x7FFFFFFFFFFFFFFF.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time);
// Shifts by the local offset in force now (not at the converted instant), as the installed clock
// reports it. Fails when either end lies outside the range of file times.
BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local);
