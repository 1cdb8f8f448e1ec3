#include "tracking/percent_series.h"

#include "tests/tracking/tracking_fixture.h"

namespace {

class FlushPercentsTest : public TrackingFixture {};

TEST_F(FlushPercentsTest, SeriesTimesRestartAtTheNextTopOfTheHour) {
  // Within the first minute of an hour too: the series is dated by the hour its first drop is
  // filed under, the one that starts at the next top.
  const struct {
    WORD minute, second, ms;
  } cases[] = {{20, 0, 0}, {1, 0, 0}, {0, 59, 999}, {0, 0, 1}, {0, 0, 0}, {59, 59, 999}};
  for (const auto& c : cases) {
    At(10, c.minute, c.second, c.ms);
    state.session.dischargeStarted = true;
    FlushPercents(state);
    EXPECT_EQ(state.seriesStartTime, Time(11)) << c.minute << ":" << c.second << "." << c.ms;
    EXPECT_EQ(state.nextSampleTime, Time(11));
    EXPECT_FALSE(state.session.dischargeStarted);
  }
  EXPECT_FALSE(folder.Exists("stats.dat"));  // empty series: the file is not touched
}

TEST(NextTopOfHour, GivesTheTopAndTheMillisecondsToIt) {
  SimulatedClock clock(Utc(2026, 1, 1, 0), 0);
  ScopedClock guard(clock);
  const LONGLONG onTheHour = FileTimeOf(Utc(2026, 12, 31, 23));
  TopOfHour next = NextTopOfHour(onTheHour);
  EXPECT_EQ(next.top, FileTimeOf(Utc(2027, 1, 1, 0)));
  EXPECT_EQ(next.ms, 3600000u);
  next = NextTopOfHour(FileTimeOf(Utc(2024, 2, 28, 23, 59, 59, 999)));
  EXPECT_EQ(next.top, FileTimeOf(Utc(2024, 2, 29, 0)));
  EXPECT_EQ(next.ms, 1u);
  // Parts of a millisecond are dropped from the top, and the difference truncates.
  next = NextTopOfHour(FileTimeOf(Utc(2026, 5, 7, 10, 23, 17)) + 5);
  EXPECT_EQ(next.top, FileTimeOf(Utc(2026, 5, 7, 11)));
  EXPECT_EQ(next.ms, 2203000u - 1);
}

TEST_F(FlushPercentsTest, WritesThePendingDropsAsOneRecordDatedInLocalTime) {
  clock.ChangeOffsetAt(Utc(2000, 1, 1, 0), 120);
  state.seriesStartTime = Time(9);
  state.seriesHead = Utc(2026, 3, 2, 11);
  state.PercentSeries = {3, 4, 2};
  FlushPercents(state);
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:3,4,2\n");
  // An empty series twice in a row writes nothing more and leaves the same times.
  FlushPercents(state);
  const LONGLONG start = state.seriesStartTime, next = state.nextSampleTime;
  FlushPercents(state);
  EXPECT_EQ(state.seriesStartTime, start);
  EXPECT_EQ(state.nextSampleTime, next);
  EXPECT_EQ(StatFile(), "[version 1]\n2026.3.2.11:3,4,2\n");
}

TEST_F(FlushPercentsTest, AnUnwritableFileLosesTheDropsButRestartsAllTheSame) {
  state.settings.StatFilename.clear();
  state.seriesHead = Utc(2026, 3, 2, 11);
  state.PercentSeries = {5};
  AppendDrop(state, 6,
             Utc(2026, 3, 2, 13));  // no drop at 12: the 5 goes out as a record of its own
  ASSERT_EQ(PeriodDropCount(state), 2u);
  state.session.dischargeStarted = true;
  FlushPercents(state);
  EXPECT_TRUE(state.PercentSeries.empty());
  EXPECT_EQ(PeriodDropCount(state), 0u);  // the next period counts its own drops only
  EXPECT_FALSE(state.session.dischargeStarted);
  EXPECT_EQ(state.nextSampleTime, Time(11));
}

}  // namespace
