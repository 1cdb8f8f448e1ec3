// The accuracy measure of the estimate on recorded traces: what counts as an estimate, a period on
// battery, the actual drain and the two simple estimates beside it, the true hours left, and the
// hours each warning stated against them.
#include "bench/accuracy/estimate_accuracy.h"

#include <gtest/gtest.h>

#include "platform/time/calendar.h"

namespace {

constexpr ULONGLONG kStart = kUnixEpochFileTime;
constexpr ULONGLONG kHour = kFileTimeUnitsPerHour;
constexpr ULONGLONG kMinute = kFileTimeUnitsPerMinute;

TraceReading On(ULONGLONG at, double percent, TraceState state = TraceState::Discharging) {
  return {kStart + at, percent, state};
}

TEST(EstimateAccuracyTest, TheLineShowsAnEstimateFromStatisticsOrItsLinearExtrapolation) {
  struct Case {
    const char* line;
    std::optional<double> hoursLeft;
    bool fromStatistics;
  };
  for (const Case& c :
       {Case{"62%, hrs: 9.1 (3.5)", 9.1, true}, Case{" 62%, hrs: 3.5/9.4", 9.4, false},
        Case{"62%, -151 mA, hrs: 9.1 (3.5)", 9.1, true}, Case{"62%, hrs: 0.0 (-2.0)", 0.0, true},
        Case{"62%, hrs: 3.5/9.4", 9.4, false}, Case{"85%, hrs: 0.0/-?-", {}, false},
        Case{"100%, hrs: N/A (online)", {}, false}, Case{"?%, hrs: 9.1 (3.5)", {}, false},
        Case{"Battery status unknown", {}, false}}) {
    const std::optional<ShownEstimate> shown = EstimateShown(c.line);
    ASSERT_EQ(shown.has_value(), c.hoursLeft.has_value()) << c.line;
    if (!shown) continue;
    EXPECT_EQ(shown->percent, 62) << c.line;
    EXPECT_DOUBLE_EQ(shown->hoursLeft, *c.hoursLeft) << c.line;
    EXPECT_EQ(shown->fromStatistics, c.fromStatistics) << c.line;
  }
}

TEST(EstimateAccuracyTest, PeriodsEndAtTheChargerOrARiseAndLastAnHour) {
  const std::vector<TraceReading> readings = {
      On(0, 80),
      On(30 * kMinute, 79),
      On(kHour, 78),                               // ends at the charger at 1:30
      On(90 * kMinute, 79, TraceState::Charging),  //
      On(2 * kHour, 90),
      On(2 * kHour + 59 * kMinute, 89),  // ends at a rise at 3:00, 1 h long
      On(3 * kHour, 95),
      On(3 * kHour + 30 * kMinute, 94),                     // ends at full at 3:59
      On(3 * kHour + 59 * kMinute, 100, TraceState::Full),  //
      On(5 * kHour, 50),
      On(6 * kHour, 49),
      On(7 * kHour, 49),  // ends with the trace at 7:00
  };
  size_t shorter = 0;
  const std::vector<OnBatteryPeriod> periods = OnBatteryPeriods(readings, kHour, &shorter);
  ASSERT_EQ(periods.size(), 3u);
  EXPECT_EQ(shorter, 1u);  // 03:00 to 03:59
  EXPECT_EQ(periods[0].first, 0u);
  EXPECT_EQ(periods[0].last, 2u);
  EXPECT_EQ(periods[0].endsAt, kStart + 90 * kMinute);
  EXPECT_EQ(periods[1].first, 4u);
  EXPECT_EQ(periods[1].last, 5u);
  EXPECT_EQ(periods[1].endsAt, kStart + 3 * kHour);
  EXPECT_EQ(periods[2].first, 9u);
  EXPECT_EQ(periods[2].last, 11u);
  EXPECT_EQ(periods[2].endsAt, kStart + 7 * kHour);
  // Charged in a gap before each end: judged up to the last reading on battery. The last one is cut
  // off.
  EXPECT_EQ(periods[0].judgedUntil, kStart + kHour);
  EXPECT_EQ(periods[1].judgedUntil, kStart + 2 * kHour + 59 * kMinute);
  EXPECT_EQ(periods[2].judgedUntil, kStart + 7 * kHour);
  EXPECT_FALSE(periods[1].cutOff);
  EXPECT_TRUE(periods[2].cutOff);
}

TEST(EstimateAccuracyTest, APeriodIsJudgedUntilItEndsAndOneTheRecordingCutsOffIsMarked) {
  // A row per state change: on battery at 80 % from 00:00, on the charger at 40 % at 04:00; on
  // battery again at 100 % from 06:00 until the recording ends at 09:00 at 70 %.
  const std::vector<TraceReading> readings = {On(0, 80), On(4 * kHour, 40, TraceState::Charging),
                                              On(5 * kHour, 100, TraceState::Full),
                                              On(6 * kHour, 100), On(9 * kHour, 70)};
  const std::vector<HourlyLine> lines = {{kStart + kHour, "80%, hrs: 8.0 (1.0)", 3},
                                         {kStart + 3 * kHour, "80%, hrs: 8.0 (3.0)"},
                                         {kStart + 7 * kHour, "100%, hrs: 10.0 (1.0)"},
                                         {kStart + 8 * kHour, "100%, hrs: 10.0 (2.0)"}};
  const Judgement judgement = JudgeHours(readings, lines);
  EXPECT_EQ(judgement.periods, 2u);
  EXPECT_EQ(judgement.cutOffPeriods, 1u);
  EXPECT_EQ(judgement.singleRowPeriods, 1u);
  ASSERT_EQ(judgement.hours.size(), 4u);
  EXPECT_DOUBLE_EQ(judgement.hours[0].actual, 40.0 / 3);
  EXPECT_DOUBLE_EQ(judgement.hours[3].actual, 30.0);
  EXPECT_EQ(judgement.hours[0].hoursWithDrain, 3u);
  EXPECT_FALSE(judgement.hours[1].cutOff);
  EXPECT_TRUE(judgement.hours[2].cutOff);
  // The held reading never shows a drop: the linear estimates are left out, and counted.
  EXPECT_EQ(judgement.hours[0].linear, std::nullopt);
  EXPECT_EQ(judgement.hours[0].lastHour, std::nullopt);
  EXPECT_EQ(judgement.linearWithoutDrop, 4u);
  EXPECT_EQ(judgement.recentWithoutDrop, 4u);
}

TEST(EstimateAccuracyTest, HoursAreJudgedAgainstTheDrainThatFollowed) {
  // From 00:30 at 100 %, 10 points an hour until 05:30 at 50 %; then the charger.
  std::vector<TraceReading> readings;
  for (int half = 0; half <= 10; ++half)
    readings.push_back(On((30 + 30 * half) * kMinute, 100 - 5 * half));
  readings.push_back(On(6 * kHour, 45, TraceState::Charging));
  const std::vector<HourlyLine> lines = {
      {kStart, "100%, hrs: N/A (online)"},
      {kStart + kHour, "95%, hrs: 0.5/-?-"},      // no estimate
      {kStart + 2 * kHour, "85%, hrs: 1.5/8.5"},  // linear: 10 an hour, as it goes on
      {kStart + 3 * kHour, "75%, hrs: 15.0 (2.5)", 20, true, 7.0, 7.0},  // statistics: 5 an hour
      {kStart + 5 * kHour, "55%, hrs: 5.5 (4.5)"},
      {kStart + 6 * kHour, "50%, hrs: N/A (online)"},
  };
  const Judgement judgement = JudgeHours(readings, lines);
  EXPECT_EQ(judgement.periods, 1u);
  EXPECT_EQ(judgement.withoutEstimate, 1u);
  EXPECT_EQ(judgement.withoutDrain, 0u);
  ASSERT_EQ(judgement.hours.size(), 3u);
  const JudgedHour& linear = judgement.hours[0];
  EXPECT_EQ(linear.utc, kStart + 2 * kHour);
  EXPECT_FALSE(linear.fromStatistics);
  EXPECT_DOUBLE_EQ(linear.actual, 10.0);
  EXPECT_DOUBLE_EQ(linear.line, 10.0);
  EXPECT_DOUBLE_EQ(*linear.linear, 10.0);
  EXPECT_DOUBLE_EQ(*linear.lastHour, 10.0);
  const JudgedHour& statistics = judgement.hours[1];
  EXPECT_TRUE(statistics.fromStatistics);
  EXPECT_DOUBLE_EQ(statistics.line, 5.0);
  // 75 % at the 10 points an hour that followed: 7.5 hours left in truth, 15 shown.
  EXPECT_DOUBLE_EQ(statistics.trueHours, 7.5);
  EXPECT_DOUBLE_EQ(statistics.lineHours, 15.0);
  EXPECT_EQ(statistics.hostLinear, 7.0);
  EXPECT_EQ(statistics.toShow, 7.0);
  EXPECT_TRUE(statistics.learning);
  EXPECT_FALSE(linear.learning);
  EXPECT_DOUBLE_EQ(judgement.hours[2].actual, 10.0);
}

TEST(EstimateAccuracyTest, TheLastHourWithinTheFirstHourAndHoursWithoutDrain) {
  // On battery from 00:40: the 01:00 estimate of the last hour is the drain since 00:40. The
  // charge then stays at 90 % until the period ends: no drain follows the 02:00 hour.
  const std::vector<TraceReading> readings = {On(40 * kMinute, 100), On(kHour, 95),
                                              On(90 * kMinute, 90), On(3 * kHour, 90),
                                              On(4 * kHour, 95, TraceState::Charging)};
  const std::vector<HourlyLine> lines = {{kStart + kHour, "95%, hrs: 5.0 (0.3)"},
                                         {kStart + 2 * kHour, "90%, hrs: 5.0 (1.3)"}};
  const Judgement judgement = JudgeHours(readings, lines);
  EXPECT_EQ(judgement.withoutDrain, 1u);
  ASSERT_EQ(judgement.hours.size(), 1u);
  EXPECT_DOUBLE_EQ(*judgement.hours[0].linear, 15.0);
  EXPECT_DOUBLE_EQ(*judgement.hours[0].lastHour, 15.0);
  EXPECT_DOUBLE_EQ(judgement.hours[0].actual, 2.5);
  EXPECT_TRUE(judgement.hours[0].recorded);
}

TEST(EstimateAccuracyTest, HoursInAGapOfTheRecordingAreMarked) {
  // Readings at 00:00, 01:00 and 03:00: the 02:00 hour lies in a gap, the 01:00 hour right on a
  // reading.
  const std::vector<TraceReading> readings = {On(0, 100), On(kHour, 90), On(3 * kHour, 80),
                                              On(4 * kHour, 70)};
  const std::vector<HourlyLine> lines = {{kStart + kHour, "90%, hrs: 9.0 (1.0)"},
                                         {kStart + 2 * kHour, "90%, hrs: 9.0 (2.0)"},
                                         {kStart + 3 * kHour, "80%, hrs: 8.0 (3.0)"}};
  const Judgement judgement = JudgeHours(readings, lines);
  ASSERT_EQ(judgement.hours.size(), 3u);
  EXPECT_TRUE(judgement.hours[0].recorded);
  EXPECT_FALSE(judgement.hours[1].recorded);
  EXPECT_TRUE(judgement.hours[2].recorded);
}

TEST(EstimateAccuracyTest, WarningsAreJudgedByTheDrainThatFollowedThemInTheirPeriod) {
  // Empty at 05:00 from 20 % at 01:00; on battery again from 06:00 at 30 %, 10 % at 06:30, the
  // charger at 07:30 at 5 %; then on battery at 10 % until the recording's end.
  const std::vector<TraceReading> readings = {
      On(0, 25),         On(kHour, 20),         On(5 * kHour, 0, TraceState::Charging),
      On(6 * kHour, 30), On(390 * kMinute, 10), On(450 * kMinute, 5, TraceState::Charging),
      On(8 * kHour, 10), On(9 * kHour, 10)};
  const std::vector<std::optional<JudgedWarning>> judged =
      JudgeWarnings(readings, {{kStart + 2 * kHour, "20 %", 8.0},
                               {kStart + 7 * kHour, "10 %", std::nullopt},
                               {kStart + 450 * kMinute, "on the charger", 1.0},
                               {kStart + 8 * kHour + 30 * kMinute, "held", 1.0}});
  ASSERT_EQ(judged.size(), 4u);
  // Held at 20 % from 01:00 to the end at 05:00: 20 points in 3 hours.
  ASSERT_TRUE(judged[0]);
  EXPECT_DOUBLE_EQ(judged[0]->percent, 20);
  EXPECT_DOUBLE_EQ(judged[0]->hoursToEnd, 3);
  EXPECT_DOUBLE_EQ(judged[0]->drop, 20);
  EXPECT_EQ(judged[0]->trueHours, 3.0);
  EXPECT_FALSE(judged[0]->cutOff);
  // 10 % and 5 points in the half hour to the charger: 1 hour at that drain.
  ASSERT_TRUE(judged[1]);
  EXPECT_DOUBLE_EQ(judged[1]->hoursToEnd, 0.5);
  EXPECT_EQ(judged[1]->trueHours, 1.0);
  EXPECT_EQ(judged[1]->warning.hours, std::nullopt);
  EXPECT_FALSE(judged[2]);
  // No drop until the recording's end: no truth to judge by.
  ASSERT_TRUE(judged[3]);
  EXPECT_EQ(judged[3]->trueHours, std::nullopt);
  EXPECT_TRUE(judged[3]->cutOff);
}

TEST(EstimateAccuracyTest, ErrorsAreRelativeAndSummarisedByMedianAndNearestRank) {
  EXPECT_DOUBLE_EQ(RelativeError(12, 10), 0.2);
  EXPECT_DOUBLE_EQ(RelativeError(8, 10), 0.2);
  const ErrorSummary ten = Summarize({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
  EXPECT_EQ(ten.count, 10u);
  EXPECT_DOUBLE_EQ(ten.median, 5.5);
  EXPECT_DOUBLE_EQ(ten.p90, 9);
  const ErrorSummary three = Summarize({3, 1, 2});
  EXPECT_DOUBLE_EQ(three.median, 2);
  EXPECT_DOUBLE_EQ(three.p90, 3);
  EXPECT_EQ(Summarize({}).count, 0u);
}

}  // namespace
