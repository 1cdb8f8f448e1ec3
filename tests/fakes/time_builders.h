// Broken-down times for tests.
#pragma once

#include "platform/time/time_api.h"

inline SYSTEMTIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute = 0, WORD second = 0,
                      WORD ms = 0) {
  SYSTEMTIME t{};
  t.wYear = year;
  t.wMonth = month;
  t.wDay = day;
  t.wHour = hour;
  t.wMinute = minute;
  t.wSecond = second;
  t.wMilliseconds = ms;
  return t;
}
