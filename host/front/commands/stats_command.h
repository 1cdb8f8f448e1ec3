// zelvar-home --stats: the stat file as a terminal chart of the average drain for each hour of the
// day, read with the plug-in's own reader, so the chart shows what its estimate rests on.
#pragma once

#include <string>

#include "plugin_host/saved_configuration.h"
#include "stats/hourly_drain_table.h"

struct DrainChartHeading {
  std::string file;    // the stat file's host path
  size_t records = 0;  // record lines in the file, old ones included
  DWORD historyDays = 0;
  UINT localHour = 0;  // the hour of the day now, marked on the day's drain
};

// The heading, the day's drain at a glance (DayDrainLines), one row per hour (the average drop, the
// samples, a bar scaled to the largest average) and the day's total. Hours without samples show
// "-".
std::string RenderDrainChart(const DrainChartHeading& heading, const HourlyDrainTable& table);

// Reads the plug-in's stat file and answers its chart. Throws HostError when the file exists but
// cannot be read. A missing file answers a line saying so.
std::string RunStats(const SavedConfiguration& settings);
