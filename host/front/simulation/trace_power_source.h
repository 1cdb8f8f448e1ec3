// A battery that replays a recorded trace on the installed clock (CurrentClock()): at each instant
// it reports the last reading at or before it, so a gap in the recording holds the reading before
// it; before the first reading it reports the first.
//
// The record is what a machine reports that knows only its battery's state and charge: the
// percent rounded to the nearest whole; discharging is off mains; charging and full are on mains
// (charging with the charging flag); unknown leaves the mains state undetermined, which the plug-in
// takes as running on battery.
#pragma once

#include <vector>

#include "host/front/simulation/trace_csv.h"
#include "platform/power/power_source.h"

class TracePowerSource : public PowerSource {
 public:
  // readings: at least one, in the order ParseTrace gives.
  explicit TracePowerSource(std::vector<TraceReading> readings);

  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) override;

  ULONGLONG begin() const { return readings_.front().utc; }
  ULONGLONG end() const { return readings_.back().utc; }
  const std::vector<TraceReading>& readings() const { return readings_; }

  // The reading in force at utc.
  const TraceReading& ReadingAt(ULONGLONG utc);

 private:
  std::vector<TraceReading> readings_;
  // The reading of the last lookup: the clock mostly moves forward a little at a time.
  size_t current_ = 0;
};

// The power status record for a reading.
SYSTEM_POWER_STATUS_EX2 PowerStatusOf(const TraceReading& reading);
