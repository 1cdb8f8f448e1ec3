#include "host/bar/stat_coverage.h"

#include "stats/hourly_drain_table.h"
#include "stats/stat_file.h"

UINT HoursWithSamples(const WString& statFilename, LONG maxHistoryDays) {
  HourlyDrainTable table;
  LoadStatFile(statFilename, static_cast<DWORD>(maxHistoryDays), table, true);
  return table.HoursWithSamples();
}

std::string CoverageLine(UINT hours, LONG maxHistoryDays) {
  const std::string window = maxHistoryDays < 0    ? std::string("any age")
                             : maxHistoryDays == 1 ? std::string("last day")
                                                   : "last " + std::to_string(maxHistoryDays) + " days";
  return "Statistics: samples for " + std::to_string(hours) + " of the 24 hours of the day (" + window + ")";
}
