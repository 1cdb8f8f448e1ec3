#include "host/front/commands/stats_command.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "host/estimate/day_drain_line.h"
#include "host/hosting/host_error.h"
#include "platform/files/file_api.h"
#include "platform/files/regular_file.h"
#include "stats/stat_file.h"

namespace {

constexpr int kBarCells = 40;
// A bar's last cell in eighths: U+258F (one eighth) to U+2589 (seven eighths); U+2588 is whole.
constexpr const char* kEighths[] = {"",       "\u258F", "\u258E", "\u258D",
                                    "\u258C", "\u258B", "\u258A", "\u2589"};
constexpr const char* kFullCell = "\u2588";

std::string Bar(double value, double largest) {
  if (largest <= 0) return "";
  const int eighths = static_cast<int>(std::lround(value / largest * kBarCells * 8));
  std::string bar;
  for (int cell = 0; cell < eighths / 8; ++cell) bar += kFullCell;
  return bar + kEighths[eighths % 8];
}

// Record lines: every non-empty line after the version line.
size_t CountRecords(std::string_view text) {
  size_t records = 0;
  for (bool first = true; !text.empty(); first = false) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    if (!first && !line.empty()) ++records;
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
  return records;
}

}  // namespace

std::string RenderDrainChart(const DrainChartHeading& heading, const HourlyDrainTable& table) {
  const DayDrain averages = DayDrainOf(table);
  double largest = 0;
  double day = 0;
  int samples = 0;
  int hoursWithSamples = 0;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    if (!averages[hour]) continue;
    largest = std::max(largest, *averages[hour]);
    day += *averages[hour];
    samples += table.bucket(hour).sampleCount;
    ++hoursWithSamples;
  }
  const UINT hoursWithDrain = table.HoursWithDrain();

  char line[200];
  std::string chart =
      "Average battery drain by hour of day, in percentage points\n" + heading.file + "\n";
  std::snprintf(
      line, sizeof line,
      "%zu records; %d hourly samples within the last %lu days: drain measured for %u of 24 hours, "
      "only zero drops for %u, never sampled %u\n\n",
      heading.records, samples, static_cast<unsigned long>(heading.historyDays), hoursWithDrain,
      hoursWithSamples - hoursWithDrain, HourlyDrainTable::kHoursPerDay - hoursWithSamples);
  chart += line;
  if (const std::optional<std::string> glance = DayDrainLines(averages, heading.localHour)) {
    chart += *glance;
    chart += "\n\n";
  }
  chart += "hour  drain  samples\n";
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    const HourlyDrainTable::Bucket& bucket = table.bucket(hour);
    if (bucket.sampleCount <= 0) {
      std::snprintf(line, sizeof line, " %02u       -        0", hour);
      chart += line;
    } else {
      std::snprintf(line, sizeof line, " %02u   %5.1f  %7d  ", hour, *averages[hour],
                    bucket.sampleCount);
      chart += line + (bucket.dropSum == 0 ? std::string("only zero drops")
                                           : Bar(*averages[hour], largest));
    }
    chart += "\n";
  }
  if (hoursWithSamples > 0) {
    std::snprintf(line, sizeof line, "\nA day at these averages: %.1f percentage points\n", day);
    chart += line;
  }
  return chart;
}

std::string RunStats(const SavedConfiguration& settings) {
  DrainChartHeading heading;
  const std::optional<std::string> file = HostPathOf(settings.StatFilename.c_str());
  // The plug-in, loaded before, has said why its name names no file.
  if (!file) throw HostError("no stat file to chart");
  heading.file = *file;
  heading.historyDays = static_cast<DWORD>(settings.MaxHistoryDays);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  heading.localHour = now.wHour;
  const FileRead read = ReadRegularFile(heading.file, kLargestStatFile);
  if (read.outcome == FileRead::Outcome::kMissing) {
    return "No stat file yet at " + heading.file +
           ": the plug-in writes it once it has hourly samples\n";
  }
  if (read.outcome == FileRead::Outcome::kFailed) {
    throw HostError("cannot read the stat file " + heading.file + ": " + read.cause);
  }
  heading.records = CountRecords(read.text);

  HourlyDrainTable table;
  if (LoadStatFile(settings.StatFilename, heading.historyDays, table, true) != S_OK) {
    throw HostError("cannot read the stat file " + heading.file + ": " + std::strerror(errno));
  }
  return RenderDrainChart(heading, table);
}
