// Proleptic Gregorian calendar arithmetic between file times (100 ns units since 1601-01-01 00:00
// UTC) and broken-down times. Pure functions: no clock, no time zone.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/time/time_api.h"

constexpr ULONGLONG kFileTimeUnitsPerMillisecond = 10'000;
constexpr ULONGLONG kFileTimeUnitsPerSecond = 1000 * kFileTimeUnitsPerMillisecond;
constexpr ULONGLONG kFileTimeUnitsPerMinute = 60 * kFileTimeUnitsPerSecond;
constexpr ULONGLONG kFileTimeUnitsPerHour = 60 * kFileTimeUnitsPerMinute;
constexpr ULONGLONG kFileTimeUnitsPerDay = 24 * kFileTimeUnitsPerHour;
// File times are compared as signed 64-bit numbers, so this is the last one that names an instant.
constexpr ULONGLONG kLatestFileTime = 0x7FFFFFFFFFFFFFFFULL;
// 1970-01-01 00:00 UTC.
constexpr ULONGLONG kUnixEpochFileTime = 116'444'736'000'000'000ULL;
// The years a broken-down time may name.
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;

struct CalendarDate {
  int year;
  int month;  // 1..12
  int day;    // 1..31
};

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
// Days from 1601-01-01 to the date (negative before it). The date must exist.
int64_t DaysSince1601(const CalendarDate& date);
CalendarDate DateFromDaysSince1601(int64_t days);
// 0 Sunday .. 6 Saturday (1601-01-01 was a Monday).
int DayOfWeekFromDaysSince1601(int64_t days);

// True when every field lies in its range and the date exists; the day of week is not looked at.
bool IsValidSystemTime(const SYSTEMTIME& time);
// Absent for a broken-down time that is not valid.
std::optional<ULONGLONG> FileTimeFromSystemTime(const SYSTEMTIME& time);
// Absent above kLatestFileTime. Fills the day of week.
std::optional<SYSTEMTIME> SystemTimeFromFileTime(ULONGLONG fileTime);

inline ULONGLONG FileTimeValue(const FILETIME& fileTime) {
  return (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}
inline FILETIME MakeFileTime(ULONGLONG value) {
  return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}
