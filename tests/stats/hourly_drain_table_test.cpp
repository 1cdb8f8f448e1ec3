#include "stats/hourly_drain_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string Cumulative(const HourlyDrainTable& table, INT groupSize) {
  WString text;
  const INT written = table.FormatCumulative(text, groupSize);
  EXPECT_EQ(static_cast<size_t>(written), text.size());
  return NarrowUtf8(text);
}

// One whole day of two points an hour, filed without recomputing.
void FileFlatDay(HourlyDrainTable& table) {
  for (UINT hour = 0; hour < 24; ++hour) table.AddSample(hour, 2, 50, false);
}

TEST(HourlyDrainTable, NewOrResetTableHasNoEstimateAndNoStats) {
  HourlyDrainTable table;
  EXPECT_EQ(table.EstimateHours(0, 50), -1.0);
  EXPECT_EQ(table.EstimateHours(23, 255), -1.0);
  WString text = u"Cumulative stats:\n";
  EXPECT_EQ(table.FormatCumulative(text, 3), 8);
  EXPECT_EQ(text, WString(u"Cumulative stats:\nNo stats"));

  FileFlatDay(table);
  table.Recompute();
  ASSERT_NE(table.EstimateHours(0, 50), -1.0);
  table.Reset();
  EXPECT_EQ(table.EstimateHours(0, 50), -1.0);
  table.Recompute();
  EXPECT_EQ(Cumulative(table, 3), "No stats");
}

TEST(HourlyDrainTable, OutOfRangeSamplesAreDroppedButStillRecompute) {
  HourlyDrainTable table;
  table.AddSample(24, 5, 50, true);
  table.AddSample(3, 101, 50, true);
  table.AddSample(3, 5, 101, true);
  table.AddSample(3, static_cast<UINT>(-1), 50, true);
  EXPECT_EQ(Cumulative(table, 3), "No stats");

  // Filed without recompute, then a rejected sample with recompute brings the averages up to date.
  table.AddSample(4, 100, 100, false);
  EXPECT_EQ(table.EstimateHours(4, 50), -1.0);
  table.AddSample(24, 5, 50, true);
  EXPECT_EQ(table.EstimateHours(4, 50), 0.5);
}

TEST(HourlyDrainTable, LessThanOnePointADayCountsAsNoData) {
  HourlyDrainTable zeros;
  zeros.AddSample(7, 0, 40, true);
  EXPECT_EQ(zeros.EstimateHours(7, 40), -1.0);

  HourlyDrainTable half;
  half.AddSample(7, 1, 40, false);
  half.AddSample(7, 0, 40, true);
  EXPECT_EQ(half.EstimateHours(7, 40), -1.0);
  EXPECT_EQ(Cumulative(half, 3), "No stats");

  HourlyDrainTable one;
  one.AddSample(7, 1, 40, true);
  EXPECT_EQ(one.EstimateHours(7, 1), 24.0);
}

TEST(HourlyDrainTable, EstimateTakesWholeDaysThenWalksTheHours) {
  HourlyDrainTable table;
  table.AddSample(10, 2, 50, true);
  // One day (rest 1), hours 8 and 9 drain nothing, hour 10 takes the last point in half an hour.
  EXPECT_EQ(table.EstimateHours(8, 3), 26.5);
  EXPECT_EQ(table.EstimateHours(8, 2), 24.0);
  EXPECT_EQ(table.EstimateHours(8, 0), 0.0);
  EXPECT_EQ(table.EstimateHours(10, 1), 0.5);
  // A rest equal to the hour's average is one whole hour.
  EXPECT_EQ(table.EstimateHours(10, 4), 48.0);
}

TEST(HourlyDrainTable, WalkContinuesFromHour23WithHour0) {
  HourlyDrainTable table;
  table.AddSample(23, 2, 50, false);
  table.AddSample(0, 2, 50, true);
  EXPECT_EQ(table.EstimateHours(23, 3), 1.5);
  EXPECT_EQ(table.EstimateHours(22, 3), 2.5);
}

TEST(HourlyDrainTable, EstimateRejectsHoursOutsideTheDay) {
  HourlyDrainTable table;
  FileFlatDay(table);
  table.Recompute();
  EXPECT_EQ(table.EstimateHours(0, 50), 25.0);
  EXPECT_EQ(table.EstimateHours(-1, 50), -1.0);
  EXPECT_EQ(table.EstimateHours(24, 50), -1.0);
}

TEST(HourlyDrainTable, SumsPassThroughSinglePrecision) {
  // 2^24 + 1 points over 167773 samples: as a float the sum loses its last point.
  HourlyDrainTable table;
  for (int i = 0; i < 167772; ++i) table.AddSample(5, 100, 100, false);
  table.AddSample(5, 17, 100, true);
  const double average = static_cast<double>(static_cast<float>(16777217u)) / 167773.0;
  EXPECT_DOUBLE_EQ(table.EstimateHours(5, 100), 24.0 + (100.0 - average) / average);
}

TEST(HourlyDrainTable, CumulativeTextInGroupsOfThree) {
  HourlyDrainTable table;
  table.AddSample(1, 3, 50, false);
  table.AddSample(1, 2, 50, false);
  table.AddSample(5, 1, 50, false);
  table.AddSample(5, 1, 50, false);
  table.AddSample(5, 0, 50, false);
  table.AddSample(22, 4, 50, false);
  table.Recompute();
  EXPECT_EQ(Cumulative(table, 3),
            "(0-2) 0.0 2.5 0.0\n"
            "(3-5) 0.0 0.0 0.7\n"
            "(6-8) 0.0 0.0 0.0\n"
            "(9-11) 0.0 0.0 0.0\n"
            "(12-14) 0.0 0.0 0.0\n"
            "(15-17) 0.0 0.0 0.0\n"
            "(18-20) 0.0 0.0 0.0\n"
            "(21-23) 0.0 4.0 0.0\n");
}

TEST(HourlyDrainTable, GroupSizeThatDoesNotDivideTheDay) {
  HourlyDrainTable table;
  FileFlatDay(table);
  table.AddSample(0, 100, 100, true);
  EXPECT_EQ(Cumulative(table, 5),
            "(0-4) 51.0 2.0 2.0 2.0 2.0\n"
            "(5-9) 2.0 2.0 2.0 2.0 2.0\n"
            "(10-14) 2.0 2.0 2.0 2.0 2.0\n"
            "(15-19) 2.0 2.0 2.0 2.0 2.0\n"
            "(20-24) 2.0 2.0 2.0 2.0 ");
}

TEST(HourlyDrainTable, AGroupOfOneIsOneHourPerLine) {
  HourlyDrainTable table;
  FileFlatDay(table);
  table.AddSample(1, 6, 50, true);
  const std::string text = Cumulative(table, 1);
  EXPECT_EQ(text.substr(0, 20), "(0-0) 2.0\n(1-1) 4.0\n");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 24);
}

TEST(HourlyDrainTable, GroupSizeBelowOneAppendsNothing) {
  HourlyDrainTable table;
  FileFlatDay(table);
  table.Recompute();
  WString text = u"kept";
  EXPECT_EQ(table.FormatCumulative(text, 0), 0);
  EXPECT_EQ(table.FormatCumulative(text, -3), 0);
  EXPECT_EQ(text, WString(u"kept"));
}

}  // namespace
