// Hourly battery drain by local hour of day: the sums and counts of the hourly drops (percentage
// points), their averages, the drain of a whole day, and the remaining-hours estimate built on
// them. Touches no file and no clock.
#pragma once

#include "platform/api.h"

class HourlyDrainTable {
 public:
  static constexpr UINT kHoursPerDay = 24;

  // The drops filed under one hour of day.
  struct Bucket {
    DWORD dropSum;  // percentage points
    INT sampleCount;
  };

  HourlyDrainTable();
  virtual ~HourlyDrainTable() = default;

  // Empties the buckets and marks the table as having no data.
  void Reset();

  // Files a drop under the hour of day when hour < 24, drop <= 100 and percent <= 100 (a negative
  // value passed in is a large unsigned number and is rejected). The percent is only checked.
  // With recompute, the derived values are recomputed whether or not the sample was accepted.
  void AddSample(UINT hour, UINT drop, UINT percent, bool recompute);

  // Derives the averages and the day total from the buckets. A table whose day total is below 1.0
  // counts as having no data.
  void Recompute();

  // Whether the table has usable data, so that EstimateHours answers an estimate for any hour.
  bool HasStatistics() const { return hoursWithData_ != 0; }

  // Hours that a battery at percent lasts when the drain follows the averages from the given hour
  // of day on; -1.0 when the table has no data, or when hour is not 0..23.
  double EstimateHours(INT hour, INT percent) const;

  // How many of the 24 hours of the day have drain measured: an average drop above zero.
  UINT HoursWithDrain() const;

  // Appends the 24 averages to output with one decimal, in groups of groupSize hours, each group
  // headed by its hour range "(first-last) " and ended by "\n"; "No stats" when the table has no
  // data. Answers the number of characters appended; a groupSize below 1 appends nothing.
  INT FormatCumulative(WString& output, INT groupSize) const;

  // The bucket of an hour of day, 0..23.
  const Bucket& bucket(UINT hour) const { return buckets_[hour]; }

 private:
  Bucket buckets_[kHoursPerDay];
  double averages_[kHoursPerDay];  // percentage points per hour; while there is data, 0.0 for hours
                                   // without samples
  INT hoursWithData_;              // 0: no usable data
  double totalAverage_ =
      0.0;  // percentage points per day; meaningful only while hoursWithData_ != 0
};
