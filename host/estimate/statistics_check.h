// Whether the hour-of-day statistics can be trusted yet, from the stat file's records alone, so
// that a bar or service started again comes to the same answer: how many of the 24 hours of the
// day have drain measured, and whether the statistics agree with what the battery did in its latest
// discharges. For the hourly drops of the latest records (at least kCheckedHours of them), the
// averages of all the other records predict a drop for those hours of the day; an hour that the
// others never measured predicts none, as the plug-in counts it free. Predicted over measured is
// the agreement: at 0.5 a figure from the statistics reads about twice the hours the battery gave.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "host/estimate/day_drain_line.h"
#include "platform/api.h"
#include "stats/hourly_drain_table.h"

// About a day on battery.
inline constexpr INT kCheckedHours = 24;

struct StatisticsCheck {
  UINT hoursWithDrain = 0;
  // Predicted over measured drop in the latest discharges; nullopt while they measured no drop.
  std::optional<double> agreement;
  DayDrain day{};  // the average drop of each hour of the day over all the records
};

// The records of a stat file's text younger than maxHistoryDays, each filed into a table of its
// own, in the file's order; read as the plug-in reads them (see FileStatText). None when the text
// does not start with the version line.
std::vector<HourlyDrainTable> StatRecords(std::string_view text, const SYSTEMTIME& now,
                                          DWORD maxHistoryDays);

StatisticsCheck CheckStatistics(const std::vector<HourlyDrainTable>& records);
