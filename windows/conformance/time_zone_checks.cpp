// Local file times across a daylight-saving switch: the system shifts every instant by the offset
// in force now, even one that lies on the other side of a switch. The run's zone must have a switch
// within a year (scripts/test-windows and conformance_test set TZ to such a zone).
#include "windows/conformance/conformance_checks.h"

namespace {

constexpr LONGLONG kUnitsPerMinute = 600'000'000;
constexpr LONGLONG kUnitsPerDay = 1440 * kUnitsPerMinute;

LONGLONG ValueOf(const FILETIME& fileTime) {
  return static_cast<LONGLONG>((static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) |
                               fileTime.dwLowDateTime);
}

LONGLONG FileTimeOf(const SYSTEMTIME& time) {
  FILETIME fileTime{};
  SystemTimeToFileTime(&time, &fileTime);
  return ValueOf(fileTime);
}

FILETIME ToFileTime(LONGLONG value) {
  return FILETIME{static_cast<DWORD>(value),
                  static_cast<DWORD>(static_cast<ULONGLONG>(value) >> 32)};
}

// Local minus UTC time now, to the nearest minute (the two readings lie milliseconds apart).
LONG OffsetMinutesNow() {
  SYSTEMTIME utc{};
  SYSTEMTIME local{};
  GetSystemTime(&utc);
  GetLocalTime(&local);
  const LONGLONG difference = FileTimeOf(local) - FileTimeOf(utc);
  const LONGLONG half = difference < 0 ? -kUnitsPerMinute / 2 : kUnitsPerMinute / 2;
  return static_cast<LONG>((difference + half) / kUnitsPerMinute);
}

// The first instant a multiple of 30 days away (forward or back) whose offset differs from now's.
bool FindInstantAcrossASwitch(HostDriver& driver, LONGLONG now, LONG offsetNow, int direction,
                              LONGLONG& instant) {
  for (int months = 1; months <= 12; ++months) {
    instant = now + LONGLONG{direction} * months * 30 * kUnitsPerDay;
    if (driver.ZoneOffsetMinutesAt(ToFileTime(instant)) != offsetNow) return true;
  }
  return false;
}

}  // namespace

void CheckTimeZone(HostDriver& driver, CheckReport& report) {
  report.Group("time zone");
  SYSTEMTIME utcNow{};
  GetSystemTime(&utcNow);
  const LONGLONG now = FileTimeOf(utcNow);
  const LONG offsetNow = OffsetMinutesNow();
  report.Equal(driver.ZoneOffsetMinutesAt(ToFileTime(now)), offsetNow,
               "the zone's offset now is local minus UTC time");

  for (int direction : {1, -1}) {
    const std::string side = direction > 0 ? "a later" : "an earlier";
    LONGLONG instant = 0;
    if (!report.Check(
            FindInstantAcrossASwitch(driver, now, offsetNow, direction, instant),
            "the run's zone switches daylight saving within a year (" + side + " switch)")) {
      continue;
    }
    const FILETIME utc = ToFileTime(instant);
    FILETIME local{};
    report.Check(FileTimeToLocalFileTime(&utc, &local) != FALSE,
                 "FileTimeToLocalFileTime across " + side + " switch");
    report.Equal(ValueOf(local) - instant, offsetNow * kUnitsPerMinute,
                 "an instant across " + side + " switch is shifted by the offset in force now");
  }
}
