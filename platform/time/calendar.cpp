#include "platform/time/calendar.h"

namespace {

// Days from 1970-01-01 to 1601-01-01.
constexpr int64_t kDaysFrom1970To1601 = -134'774;

int64_t FloorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// Counts in 400-year eras starting on 1 March, so the leap day falls at the end of each year.
int64_t DaysSince1970(int year, int month, int day) {
  const int64_t y = static_cast<int64_t>(year) - (month <= 2 ? 1 : 0);
  const int64_t era = FloorDivide(y, 400);
  const int64_t yearOfEra = y - era * 400;
  const int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
  const int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146'097 + dayOfEra - 719'468;
}

CalendarDate DateFromDaysSince1970(int64_t days) {
  const int64_t z = days + 719'468;
  const int64_t era = FloorDivide(z, 146'097);
  const int64_t dayOfEra = z - era * 146'097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return CalendarDate{year, month, day};
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

int64_t DaysSince1601(const CalendarDate& date) {
  return DaysSince1970(date.year, date.month, date.day) - kDaysFrom1970To1601;
}

CalendarDate DateFromDaysSince1601(int64_t days) {
  return DateFromDaysSince1970(days + kDaysFrom1970To1601);
}

int DayOfWeekFromDaysSince1601(int64_t days) { return static_cast<int>(((days + 1) % 7 + 7) % 7); }

bool IsValidSystemTime(const SYSTEMTIME& time) {
  return time.wYear >= kFirstYear && time.wYear <= kLastYear && time.wMonth >= 1 &&
         time.wMonth <= 12 && time.wDay >= 1 && time.wDay <= DaysInMonth(time.wYear, time.wMonth) &&
         time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

std::optional<ULONGLONG> FileTimeFromSystemTime(const SYSTEMTIME& time) {
  if (!IsValidSystemTime(time)) return std::nullopt;
  const auto days = static_cast<ULONGLONG>(DaysSince1601({time.wYear, time.wMonth, time.wDay}));
  return days * kFileTimeUnitsPerDay + time.wHour * kFileTimeUnitsPerHour +
         time.wMinute * kFileTimeUnitsPerMinute + time.wSecond * kFileTimeUnitsPerSecond +
         time.wMilliseconds * kFileTimeUnitsPerMillisecond;
}

std::optional<SYSTEMTIME> SystemTimeFromFileTime(ULONGLONG fileTime) {
  if (fileTime > kLatestFileTime) return std::nullopt;
  const auto days = static_cast<int64_t>(fileTime / kFileTimeUnitsPerDay);
  ULONGLONG rest = fileTime % kFileTimeUnitsPerDay;
  const CalendarDate date = DateFromDaysSince1601(days);
  SYSTEMTIME time{};
  time.wYear = static_cast<WORD>(date.year);
  time.wMonth = static_cast<WORD>(date.month);
  time.wDay = static_cast<WORD>(date.day);
  time.wDayOfWeek = static_cast<WORD>(DayOfWeekFromDaysSince1601(days));
  time.wHour = static_cast<WORD>(rest / kFileTimeUnitsPerHour);
  rest %= kFileTimeUnitsPerHour;
  time.wMinute = static_cast<WORD>(rest / kFileTimeUnitsPerMinute);
  rest %= kFileTimeUnitsPerMinute;
  time.wSecond = static_cast<WORD>(rest / kFileTimeUnitsPerSecond);
  rest %= kFileTimeUnitsPerSecond;
  time.wMilliseconds = static_cast<WORD>(rest / kFileTimeUnitsPerMillisecond);
  return time;
}
