// The day's drain at a glance: the average hourly drop of each hour of the day as one line of block
// characters, from midnight to 23:00, the current hour in brackets, with the scale in words. One
// owner of the line for the status bar's tooltip and the --stats chart.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "platform/api.h"
#include "stats/hourly_drain_table.h"

// The average drop of each hour of the day in percentage points; nullopt for an hour never sampled.
using DayDrain = std::array<std::optional<double>, HourlyDrainTable::kHoursPerDay>;

DayDrain DayDrainOf(const HourlyDrainTable& table);

// Two lines: "Drain by hour from 0:00: ▁▂[█]▅··▁…" and the scale, "Highest 3.2 points an hour at
// 14:00; now in brackets; · never sampled". An hour with only zero drops is ▁, any drain at least ▂
// and the highest █; an hour never sampled is "·". nullopt when no hour was ever sampled.
std::optional<std::string> DayDrainLines(const DayDrain& drain, UINT currentHour);
