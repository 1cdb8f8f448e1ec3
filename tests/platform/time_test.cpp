#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include "platform/time/calendar.h"
#include "platform/time/simulated_clock.h"
#include "platform/time/system_clock.h"
#include "tests/fakes/scoped_environment.h"
#include "tests/fakes/time_builders.h"

namespace {

constexpr LONGLONG kHour = kFileTimeUnitsPerHour;
constexpr LONGLONG kMinute = kFileTimeUnitsPerMinute;

ULONGLONG ToFileTime(const SYSTEMTIME& time) {
  FILETIME fileTime{};
  EXPECT_TRUE(SystemTimeToFileTime(&time, &fileTime));
  return FileTimeValue(fileTime);
}

SYSTEMTIME ToSystemTime(ULONGLONG value) {
  const FILETIME fileTime = MakeFileTime(value);
  SYSTEMTIME time{};
  EXPECT_TRUE(FileTimeToSystemTime(&fileTime, &time));
  return time;
}

ULONGLONG ToLocal(ULONGLONG utc) {
  const FILETIME in = MakeFileTime(utc);
  FILETIME out{};
  EXPECT_TRUE(FileTimeToLocalFileTime(&in, &out));
  return FileTimeValue(out);
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return local;
}

// Every field, the day of week included, so that a mismatch shows both times whole.
std::string Text(const SYSTEMTIME& t) {
  return std::to_string(t.wYear) + "-" + std::to_string(t.wMonth) + "-" + std::to_string(t.wDay) +
         " " + std::to_string(t.wHour) + ":" + std::to_string(t.wMinute) + ":" +
         std::to_string(t.wSecond) + "." + std::to_string(t.wMilliseconds) + " day " +
         std::to_string(t.wDayOfWeek);
}
SYSTEMTIME On(WORD dayOfWeek, SYSTEMTIME time) {
  time.wDayOfWeek = dayOfWeek;
  return time;
}

}  // namespace

TEST(Calendar, KnownInstantsAndYearEnds) {
  EXPECT_EQ(ToFileTime(Utc(1601, 1, 1, 0)), 0u);
  EXPECT_EQ(ToFileTime(Utc(1970, 1, 1, 0)), 116444736000000000u);
  EXPECT_EQ(ToFileTime(Utc(2000, 2, 29, 23, 59, 59, 999)), 125963423999990000u);
  EXPECT_EQ(ToFileTime(Utc(9999, 12, 31, 23, 59, 59, 999)), 2650467743999990000u);
  EXPECT_EQ(ToFileTime(Utc(30827, 12, 31, 23, 59, 59, 999)), 9223149887999990000u);

  EXPECT_EQ(Text(ToSystemTime(0)), Text(On(1, Utc(1601, 1, 1, 0))));  // a Monday
  EXPECT_EQ(Text(ToSystemTime(116444736000000000u)), Text(On(4, Utc(1970, 1, 1, 0))));
  // Parts of a millisecond are dropped, not rounded.
  EXPECT_EQ(Text(ToSystemTime(125963423999999999u)),
            Text(On(2, Utc(2000, 2, 29, 23, 59, 59, 999))));
  EXPECT_EQ(Text(ToSystemTime(125963424000000000u)), Text(On(3, Utc(2000, 3, 1, 0))));
  EXPECT_EQ(Text(ToSystemTime(ToFileTime(Utc(1900, 2, 28, 23)) + kHour)),
            Text(On(4, Utc(1900, 3, 1, 0))));
  EXPECT_EQ(Text(ToSystemTime(ToFileTime(Utc(2023, 12, 31, 23, 59, 59, 999)) + 10'000)),
            Text(On(1, Utc(2024, 1, 1, 0))));
  EXPECT_EQ(Text(ToSystemTime(kLatestFileTime)), Text(On(4, Utc(30828, 9, 14, 2, 48, 5, 477))));
}

TEST(Calendar, InvalidInputFailsAndLeavesTheOutputAlone) {
  const SYSTEMTIME invalid[] = {Utc(2006, 0, 1, 0),        Utc(2006, 13, 1, 0),
                                Utc(2006, 1, 0, 0),        Utc(2006, 4, 31, 0),
                                Utc(2006, 2, 29, 0),       Utc(1900, 2, 29, 0),
                                Utc(2006, 1, 1, 24),       Utc(2006, 1, 1, 0, 60),
                                Utc(2006, 1, 1, 0, 0, 60), Utc(2006, 1, 1, 0, 0, 0, 1000),
                                Utc(1600, 12, 31, 23),     Utc(30828, 1, 1, 0)};
  for (const SYSTEMTIME& time : invalid) {
    FILETIME out{7, 7};
    EXPECT_FALSE(SystemTimeToFileTime(&time, &out)) << Text(time);
    EXPECT_EQ(out.dwLowDateTime + out.dwHighDateTime, 14u) << Text(time);
  }
  SYSTEMTIME untouched = Utc(2000, 1, 1, 0);
  for (ULONGLONG beyond : {kLatestFileTime + 1, ~ULONGLONG{0}}) {
    const FILETIME fileTime = MakeFileTime(beyond);
    EXPECT_FALSE(FileTimeToSystemTime(&fileTime, &untouched));
  }
  EXPECT_EQ(Text(untouched), Text(Utc(2000, 1, 1, 0)));
}

// Every 997th day of the whole range agrees with the standard library's civil calendar, and an
// instant within it survives the round trip.
TEST(Calendar, RoundTripAgreesWithTheStandardCalendar) {
  using namespace std::chrono;
  const sys_days first = sys_days(year{1601} / January / 1);
  for (int64_t day = 0; day <= int64_t{kLatestFileTime / kFileTimeUnitsPerDay}; day += 997) {
    const year_month_day expected(first + days(day));
    const ULONGLONG instant = day * kFileTimeUnitsPerDay + day * 7919 % 86'400'000 * 10'000;
    const SYSTEMTIME time = ToSystemTime(instant);
    ASSERT_EQ(time.wYear, static_cast<int>(expected.year())) << day;
    ASSERT_EQ(time.wMonth, static_cast<unsigned>(expected.month())) << day;
    ASSERT_EQ(time.wDay, static_cast<unsigned>(expected.day())) << day;
    ASSERT_EQ(time.wDayOfWeek, weekday(first + days(day)).c_encoding()) << day;
    if (time.wYear <= kLastYear) {
      ASSERT_EQ(ToFileTime(time), instant) << day;
    }
  }
}

TEST(SimulatedClock, HalfHourOffsetsEitherSideOfUtc) {
  SimulatedClock east(Utc(2006, 1, 1, 2, 10), 5 * 60 + 30);
  ScopedClock installedEast(east);
  EXPECT_EQ(Text(LocalNow()), Text(On(0, Utc(2006, 1, 1, 7, 40))));
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  EXPECT_EQ(Text(utc), Text(On(0, Utc(2006, 1, 1, 2, 10))));

  SimulatedClock west(Utc(2006, 1, 1, 2, 10), -(3 * 60 + 30));
  ScopedClock installedWest(west);
  EXPECT_EQ(Text(LocalNow()), Text(On(6, Utc(2005, 12, 31, 22, 40))));
  const ULONGLONG now = ToFileTime(Utc(2006, 1, 1, 2, 10));
  EXPECT_EQ(ToLocal(now), now - 3 * kHour - 30 * kMinute);
}

TEST(SimulatedClock, DaylightSavingSwitchesInTheMiddleOfARun) {
  SimulatedClock clock(Utc(2006, 3, 26, 0, 30), 60);
  clock.ChangeOffsetAt(Utc(2006, 3, 26, 1, 0), 120);
  clock.ChangeOffsetAt(Utc(2006, 10, 29, 1, 0), 60);
  ScopedClock installed(clock);
  EXPECT_EQ(LocalNow().wHour, 1);
  clock.AdvanceMilliseconds(LONGLONG{60} * 60 * 1000);
  EXPECT_EQ(LocalNow().wHour, 3);  // 02:30 local never happens

  // A conversion uses the offset in force now, not the one at the instant converted.
  const ULONGLONG lastWinterMs = ToFileTime(Utc(2006, 3, 26, 0, 59, 59, 999));
  const ULONGLONG summer = ToFileTime(Utc(2006, 7, 1, 12));
  EXPECT_EQ(ToLocal(lastWinterMs), lastWinterMs + 2 * kHour);
  EXPECT_EQ(ToLocal(summer), summer + 2 * kHour);
  clock.SetUtcFileTime(lastWinterMs);
  EXPECT_EQ(ToLocal(lastWinterMs), lastWinterMs + kHour);
  EXPECT_EQ(ToLocal(summer), summer + kHour);

  // Back to winter time: local 02:30 comes twice.
  clock.SetUtc(Utc(2006, 10, 29, 0, 30));
  EXPECT_EQ(Text(LocalNow()), Text(On(0, Utc(2006, 10, 29, 2, 30))));
  clock.AdvanceMilliseconds(LONGLONG{60} * 60 * 1000);
  EXPECT_EQ(Text(LocalNow()), Text(On(0, Utc(2006, 10, 29, 2, 30))));
}

TEST(SimulatedClock, StaysWithinTheRangeOfFileTimes) {
  SimulatedClock clock(Utc(1601, 1, 1, 1), -120);
  ScopedClock installed(clock);
  EXPECT_EQ(Text(LocalNow()), Text(On(1, Utc(1601, 1, 1, 0))));  // held at the earliest instant
  FILETIME out{7, 7};
  const FILETIME tooEarly = MakeFileTime(kHour);
  EXPECT_FALSE(FileTimeToLocalFileTime(&tooEarly, &out));
  const FILETIME beyond = MakeFileTime(kLatestFileTime + 1);
  EXPECT_FALSE(FileTimeToLocalFileTime(&beyond, &out));
  EXPECT_EQ(out.dwLowDateTime + out.dwHighDateTime, 14u);

  clock.AdvanceMilliseconds(LONGLONG{-2} * 60 * 60 * 1000);
  EXPECT_EQ(clock.UtcNow(), 0u);
  clock.SetUtcFileTime(~0ULL);
  clock.AdvanceMilliseconds(1);
  EXPECT_EQ(clock.UtcNow(), kLatestFileTime);
  EXPECT_THROW(clock.SetUtc(Utc(2006, 2, 29, 0)), std::invalid_argument);
}

TEST(SystemClock, MachineTimeAndTimeZoneRules) {
  SystemClock clock;
  const auto before = static_cast<ULONGLONG>(time(nullptr));
  const ULONGLONG now = clock.UtcNow();
  const auto after = static_cast<ULONGLONG>(time(nullptr));
  EXPECT_EQ(now % 10'000, 0u);  // whole milliseconds
  // Between the machine's readings around it, however long the test was kept waiting between them.
  EXPECT_GE(now, kUnixEpochFileTime + before * kFileTimeUnitsPerSecond);
  EXPECT_LT(now, kUnixEpochFileTime + (after + 1) * kFileTimeUnitsPerSecond);

  const ULONGLONG winter = ToFileTime(Utc(2006, 1, 15, 12));
  const ULONGLONG summer = ToFileTime(Utc(2006, 7, 15, 12));
  {
    ScopedEnvironment zone("TZ", "IST-5:30");
    EXPECT_EQ(clock.LocalOffsetAt(winter), 5 * kHour + 30 * kMinute);
  }
  {
    ScopedEnvironment zone("TZ", "NST3:30NDT,M3.2.0,M11.1.0");
    EXPECT_EQ(clock.LocalOffsetAt(winter), -(3 * kHour + 30 * kMinute));
    EXPECT_EQ(clock.LocalOffsetAt(summer), -(2 * kHour + 30 * kMinute));
  }
  ScopedEnvironment zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  EXPECT_EQ(clock.LocalOffsetAt(ToFileTime(Utc(2006, 3, 26, 0, 59, 59, 999))), kHour);
  EXPECT_EQ(clock.LocalOffsetAt(ToFileTime(Utc(2006, 3, 26, 1))), 2 * kHour);
}

// The zone rules are read again at once when TZ changes, else at most once a minute.
TEST(SystemClock, ReadsTheZoneRulesAgainOnChangeOrAfterAMinute) {
  ScopedEnvironment zone("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
  std::chrono::steady_clock::time_point now{};
  int reads = 0;
  SystemClock clock([&now] { return now; },
                    [&reads] {
                      ++reads;
                      tzset();
                    });
  const ULONGLONG winter = ToFileTime(Utc(2006, 1, 15, 12));
  EXPECT_EQ(clock.LocalOffsetAt(winter), kHour);
  now += std::chrono::seconds(59);
  EXPECT_EQ(clock.LocalOffsetAt(winter), kHour);
  EXPECT_EQ(reads, 1);
  now += std::chrono::seconds(1);
  clock.LocalOffsetAt(winter);
  EXPECT_EQ(reads, 2);

  setenv("TZ", "IST-5:30", 1);
  EXPECT_EQ(clock.LocalOffsetAt(winter), 5 * kHour + 30 * kMinute);
  EXPECT_EQ(reads, 3);
  unsetenv("TZ");
  clock.LocalOffsetAt(winter);
  EXPECT_EQ(reads, 4);
  clock.LocalOffsetAt(winter);
  EXPECT_EQ(reads, 4);
  setenv("TZ", "", 1);  // set but empty (UTC) differs from unset
  EXPECT_EQ(clock.LocalOffsetAt(winter), 0);
  EXPECT_EQ(reads, 5);
}
