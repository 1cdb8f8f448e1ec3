#include "host/estimate/statistics_check.h"

#include <string>

#include "stats/stat_file_reader.h"

namespace {

constexpr UINT kHours = HourlyDrainTable::kHoursPerDay;

// The drops of one hour of the day, summed over records.
struct HourSum {
  double drop = 0;
  INT samples = 0;
};

}  // namespace

std::vector<HourlyDrainTable> StatRecords(std::string_view text, const SYSTEMTIME& now,
                                          DWORD maxHistoryDays) {
  std::vector<HourlyDrainTable> records;
  HourlyDrainTable ignored;
  if (!FileStatText(text, now, maxHistoryDays, ignored, false)) return records;
  // Past the version line, each line filed alone; the last keeps its missing line feed, so that a
  // record cut short is read as the plug-in reads it.
  text.remove_prefix(std::min(text.size(), text.find('\n')));
  while (text.size() > 1) {
    text.remove_prefix(1);
    const size_t end = std::min(text.size(), text.find('\n'));
    const std::string line = std::string(kStatFileVersionLine) + "\n" +
                             std::string(text.substr(0, std::min(text.size(), end + 1)));
    text.remove_prefix(end);
    HourlyDrainTable record;
    FileStatText(line, now, maxHistoryDays, record, true);
    INT samples = 0;
    for (UINT hour = 0; hour < kHours; ++hour) samples += record.bucket(hour).sampleCount;
    if (samples > 0) records.push_back(record);
  }
  return records;
}

StatisticsCheck CheckStatistics(const std::vector<HourlyDrainTable>& records) {
  HourSum all[kHours];
  for (const HourlyDrainTable& record : records) {
    for (UINT hour = 0; hour < kHours; ++hour) {
      all[hour].drop += record.bucket(hour).dropSum;
      all[hour].samples += record.bucket(hour).sampleCount;
    }
  }
  StatisticsCheck check;
  for (UINT hour = 0; hour < kHours; ++hour) {
    if (all[hour].drop > 0) ++check.hoursWithDrain;
    if (all[hour].samples > 0) check.day[hour] = all[hour].drop / all[hour].samples;
  }
  double predicted = 0;
  double measured = 0;
  INT checked = 0;
  for (auto record = records.rbegin(); record != records.rend() && checked < kCheckedHours;
       ++record) {
    for (UINT hour = 0; hour < kHours; ++hour) {
      const HourlyDrainTable::Bucket& own = record->bucket(hour);
      const INT others = all[hour].samples - own.sampleCount;
      if (others > 0) predicted += own.sampleCount * (all[hour].drop - own.dropSum) / others;
      measured += own.dropSum;
      checked += own.sampleCount;
    }
  }
  if (measured > 0) check.agreement = predicted / measured;
  return check;
}
