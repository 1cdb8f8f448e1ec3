#include "stats/hourly_drain_table.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr double kNoSamples = -1.0;
constexpr double kNoEstimate = -1.0;
constexpr UINT kMaxPercent = 100;

}  // namespace

HourlyDrainTable::HourlyDrainTable() { Reset(); }

void HourlyDrainTable::Reset() {
  for (UINT h = 0; h < kHoursPerDay; ++h) {
    buckets_[h] = Bucket{0, 0};
    averages_[h] = 0.0;
  }
  hoursWithData_ = 0;
}

void HourlyDrainTable::AddSample(UINT hour, UINT drop, UINT percent, bool recompute) {
  if (hour < kHoursPerDay && drop <= kMaxPercent && percent <= kMaxPercent) {
    buckets_[hour].dropSum += drop;
    buckets_[hour].sampleCount += 1;
  }
  if (recompute) Recompute();
}

void HourlyDrainTable::Recompute() {
  hoursWithData_ = 0;
  for (UINT h = 0; h < kHoursPerDay; ++h) {
    if (buckets_[h].sampleCount != 0) {
      // The sum goes through single precision first, as the statistics always have; sums stay far
      // below 2^24 in practice, where this is exact.
      averages_[h] = static_cast<double>(static_cast<float>(buckets_[h].dropSum)) /
                     static_cast<double>(buckets_[h].sampleCount);
      ++hoursWithData_;
    } else {
      averages_[h] = kNoSamples;
    }
  }
  if (hoursWithData_ == 0) return;

  totalAverage_ = 0.0;
  for (double& average : averages_) {
    if (average == kNoSamples) average = 0.0;
    totalAverage_ += average;
  }
  // Less than one point a day is too little to extrapolate from (and would make the walk endless).
  if (totalAverage_ < 1.0) hoursWithData_ = 0;
}

double HourlyDrainTable::EstimateHours(INT hour, INT percent) const {
  if (hoursWithData_ == 0 || hour < 0 || hour >= static_cast<INT>(kHoursPerDay)) return kNoEstimate;

  double rest = percent;
  double hours = 0.0;
  if (rest >= totalAverage_) {
    const UINT days = static_cast<UINT>(std::floor(rest / totalAverage_));
    rest -= static_cast<double>(days) * totalAverage_;
    hours = static_cast<double>(days * kHoursPerDay);
  }
  // The rest is now below one day's drain: the walk through the hours ends within one turn, or two
  // when rounding leaves a sliver; every turn consumes the day total of at least 1.0.
  UINT h = static_cast<UINT>(hour);
  while (rest > 0) {
    const double average = averages_[h];
    if (rest < average) {
      hours += rest / average;
      rest = 0;
    } else {
      hours += 1.0;
      rest -= average;
    }
    h = (h + 1) % kHoursPerDay;
  }
  return hours;
}

INT HourlyDrainTable::FormatCumulative(WString& output, INT groupSize) const {
  if (groupSize < 1) return 0;

  std::string text;
  if (hoursWithData_ == 0) {
    text = "No stats";
  } else {
    char piece[48];
    for (INT i = 0; i < static_cast<INT>(kHoursPerDay); ++i) {
      if (i % groupSize == 0) {
        std::snprintf(piece, sizeof piece, "(%d-%d) ", i, i + groupSize - 1);
        text += piece;
      }
      std::snprintf(piece, sizeof piece, "%.1f%s", averages_[i],
                    (i + 1) % groupSize == 0 ? "\n" : " ");
      text += piece;
    }
  }
  output += WidenLatin1(text);
  return static_cast<INT>(text.size());
}

UINT HourlyDrainTable::HoursWithDrain() const {
  UINT hours = 0;
  for (const Bucket& bucket : buckets_) hours += bucket.dropSum != 0 ? 1 : 0;
  return hours;
}
