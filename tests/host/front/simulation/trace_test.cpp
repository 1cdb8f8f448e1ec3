// Recorded traces: the CSV reader and the battery that replays them.
#include <gtest/gtest.h>

#include "host/hosting/host_error.h"
#include "host/front/simulation/trace_csv.h"
#include "host/front/simulation/trace_power_source.h"
#include "host/front/simulation/trace_sleep.h"
#include "platform/time/calendar.h"
#include "platform/time/simulated_clock.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"

namespace {

constexpr ULONGLONG kSecond = kFileTimeUnitsPerSecond;

ULONGLONG Unix(ULONGLONG seconds) { return kUnixEpochFileTime + seconds * kSecond; }

TEST(TraceCsvTest, ReadsReadingsAroundCommentsHeaderAndBlankLines) {
  const ParsedTrace parsed = ParseTrace(
      "# source: somewhere\r\n"
      "unix_seconds,percent,state\r\n"
      "\n"
      "100,76.87,Discharging\n"
      "# a comment between readings\n"
      "160.5,76,charging\r\n"
      "160.5,100,FULL\n"
      "1755194092.83312345,0,unknown");
  ASSERT_FALSE(parsed.error) << parsed.error->what;
  EXPECT_EQ(parsed.readings,
            (std::vector<TraceReading>{{Unix(100), 76.87, TraceState::Discharging},
                                       {Unix(160) + 5'000'000, 76, TraceState::Charging},
                                       {Unix(160) + 5'000'000, 100, TraceState::Full},
                                       {Unix(1755194092) + 8'331'234, 0, TraceState::Unknown}}));
  // The header is optional.
  EXPECT_EQ(ParseTrace("5,1,full\n").readings,
            (std::vector<TraceReading>{{Unix(5), 1, TraceState::Full}}));
}

TEST(TraceCsvTest, TheFirstBadLineIsNamedWithWhatIsWrong) {
  struct Case {
    const char* text;
    size_t line;
    const char* what;
  };
  const char* kFields = "expected three fields \"unix_seconds,percent,state\"";
  const char* kTime = "the time is not a number of seconds since 1970";
  const char* kPercent = "the percent is not a number from 0 to 100";
  const char* kState = "the state is not discharging, charging, full or unknown";
  for (const Case& c : {
           Case{"", 0, "no readings"},
           Case{"# only\nunix_seconds,percent,state\n\n", 0, "no readings"},
           Case{"1,50,full\nunix_seconds,percent,state\n", 2, kTime},
           Case{"1,50\n", 1, kFields},
           Case{"1,50,full,x\n", 1, kFields},
           Case{"1;50;full\n", 1, kFields},
           Case{"-1,50,full\n", 1, kTime},
           Case{"+1,50,full\n", 1, kTime},
           Case{" 1,50,full\n", 1, kTime},
           Case{"1e3,50,full\n", 1, kTime},
           Case{"1.,50,full\n", 1, kTime},
           Case{".5,50,full\n", 1, kTime},
           Case{"910692730086,50,full\n", 1, kTime},
           Case{"910692730085.9999999,50,full\n", 1, kTime},
           Case{"99999999999999999999999,50,full\n", 1, kTime},
           Case{"1,100.01,full\n", 1, kPercent},
           Case{"1,-0,full\n", 1, kPercent},
           Case{"1,nan,full\n", 1, kPercent},
           Case{"1,,full\n", 1, kPercent},
           Case{"1,50,fulll\n", 1, kState},
           Case{"1,50,full \n", 1, kState},
           Case{"1,50,\n", 1, kState},
           Case{"#\n2,50,full\n1,50,full\n3,x,full\n", 3,
                "the time goes back from the reading before"},
       }) {
    const ParsedTrace parsed = ParseTrace(c.text);
    ASSERT_TRUE(parsed.error) << c.text;
    EXPECT_EQ(parsed.error->line, c.line) << c.text;
    EXPECT_EQ(parsed.error->what, c.what) << c.text;
  }
  // The latest time a file time can hold is still a time.
  EXPECT_FALSE(ParseTrace("910692730085.4,50,full\n").error);
}

TEST(TraceCsvTest, FormattedLinesParseBackToTheSameReading) {
  for (const TraceReading& reading :
       {TraceReading{Unix(1636047661), 76.87, TraceState::Discharging},
        TraceReading{Unix(0) + 1, 0.1 + 0.2, TraceState::Charging},
        TraceReading{Unix(7) + 9'999'999, 100, TraceState::Full},
        TraceReading{Unix(7), 1e-300, TraceState::Unknown},
        TraceReading{Unix(7), 4.9e-324, TraceState::Unknown}}) {
    const std::string line = FormatTraceLine(reading);
    const ParsedTrace parsed = ParseTrace(line);
    ASSERT_FALSE(parsed.error) << line << ": " << parsed.error->what;
    EXPECT_EQ(parsed.readings, std::vector<TraceReading>{reading}) << line;
  }
  EXPECT_EQ(FormatTraceLine({Unix(1636047661), 76.87, TraceState::Discharging}),
            "1636047661.0000000,76.87,discharging");
}

TEST(TraceCsvTest, FileErrorsNameTheFileAndLine) {
  TempFolder folder;
  folder.Write("bad.csv", "unix_seconds,percent,state\n1,50,full\n2,500,full\n");
  folder.Write("empty.csv", "# nothing\n");
  const auto message = [&folder](const std::string& name) {
    try {
      ReadTraceFile(folder.path() / name);
    } catch (const HostError& error) {
      return std::string(error.what());
    }
    return std::string("no error");
  };
  const std::string base = folder.path().string() + "/";
  EXPECT_EQ(message("bad.csv"), base + "bad.csv:3: the percent is not a number from 0 to 100");
  EXPECT_EQ(message("empty.csv"), base + "empty.csv: no readings");
  EXPECT_EQ(message("missing.csv"),
            "cannot read the trace " + base + "missing.csv: No such file or directory");
  EXPECT_EQ(message(""), "cannot read the trace " + base + ": Is a directory");
}

// A gap of exactly the limit is a logger's pace, awake.
TEST(TraceSleepTest, OnlyAGapLongerThanTheLimitIsSleep) {
  const auto at = [](ULONGLONG minute) {
    return TraceReading{minute * kFileTimeUnitsPerMinute, 50, TraceState::Discharging};
  };
  const std::vector<AsleepSpan> spans =
      AsleepSpans({at(0), at(30), at(61), at(62)}, 30 * kFileTimeUnitsPerMinute);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].from, at(30).utc);
  EXPECT_EQ(spans[0].to, at(61).utc);
}

TEST(TracePowerSourceTest, HoldsEachReadingUntilTheNextOne) {
  SimulatedClock clock(Utc(2021, 11, 4, 18), 60);
  ScopedClock installed(clock);
  const ULONGLONG start = clock.UtcNow();
  TracePowerSource trace({{start + 10 * kSecond, 80.5, TraceState::Discharging},
                          {start + 20 * kSecond, 79.4, TraceState::Discharging},
                          {start + 20 * kSecond, 79.6, TraceState::Charging},
                          {start + 30 * kSecond, 100, TraceState::Full}});
  EXPECT_EQ(trace.begin(), start + 10 * kSecond);
  EXPECT_EQ(trace.end(), start + 30 * kSecond);
  struct Case {
    ULONGLONG seconds;
    BYTE percent;
    BYTE acLine;
  };
  // Forward and back again: a clock set back finds its reading too.
  for (const Case& c :
       {Case{0, 81, AC_LINE_OFFLINE}, Case{10, 81, AC_LINE_OFFLINE}, Case{19, 81, AC_LINE_OFFLINE},
        Case{20, 80, AC_LINE_ONLINE}, Case{29, 80, AC_LINE_ONLINE}, Case{30, 100, AC_LINE_ONLINE},
        Case{9000, 100, AC_LINE_ONLINE}, Case{15, 81, AC_LINE_OFFLINE}}) {
    clock.SetUtcFileTime(start + c.seconds * kSecond);
    SYSTEM_POWER_STATUS_EX2 status{};
    ASSERT_TRUE(trace.Read(status, false));
    EXPECT_EQ(status.BatteryLifePercent, c.percent) << c.seconds;
    EXPECT_EQ(status.ACLineStatus, c.acLine) << c.seconds;
  }
}

TEST(TracePowerSourceTest, StatesMapOntoMainsAndFlags) {
  struct Case {
    TraceState state;
    double percent;
    BYTE acLine, flag, percentShown;
  };
  for (const Case& c :
       {Case{TraceState::Discharging, 70, AC_LINE_OFFLINE, BATTERY_FLAG_HIGH, 70},
        Case{TraceState::Discharging, 4.49, AC_LINE_OFFLINE, BATTERY_FLAG_CRITICAL, 4},
        Case{TraceState::Charging, 99.5, AC_LINE_ONLINE, BATTERY_FLAG_CHARGING, 100},
        Case{TraceState::Full, 100, AC_LINE_ONLINE, BATTERY_FLAG_HIGH, 100},
        Case{TraceState::Unknown, 20, AC_LINE_UNKNOWN, BATTERY_FLAG_LOW, 20}}) {
    const SYSTEM_POWER_STATUS_EX2 status = PowerStatusOf({0, c.percent, c.state});
    EXPECT_EQ(status.ACLineStatus, c.acLine) << c.percent;
    EXPECT_EQ(status.BatteryFlag, c.flag) << c.percent;
    EXPECT_EQ(status.BatteryLifePercent, c.percentShown) << c.percent;
  }
}

}  // namespace
