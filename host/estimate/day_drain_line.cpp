#include "host/estimate/day_drain_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Eighths of a cell, U+2581 to U+2588: the lowest is kept for hours that drained nothing.
constexpr const char* kBlocks[] = {"\u2581", "\u2582", "\u2583", "\u2584",
                                   "\u2585", "\u2586", "\u2587", "\u2588"};
constexpr int kDrainLevels = 7;
constexpr const char* kNeverSampled = "\u00B7";

const char* Block(double average, double highest) {
  if (average <= 0) return kBlocks[0];
  const long level = std::lround(average * kDrainLevels / highest);
  return kBlocks[std::clamp(level, 1L, static_cast<long>(kDrainLevels))];
}

}  // namespace

DayDrain DayDrainOf(const HourlyDrainTable& table) {
  DayDrain drain;
  for (UINT hour = 0; hour < HourlyDrainTable::kHoursPerDay; ++hour) {
    const HourlyDrainTable::Bucket& bucket = table.bucket(hour);
    if (bucket.sampleCount > 0)
      drain[hour] = static_cast<double>(bucket.dropSum) / bucket.sampleCount;
  }
  return drain;
}

std::optional<std::string> DayDrainLines(const DayDrain& drain, UINT currentHour) {
  std::optional<UINT> highestHour;
  bool neverSampled = false;
  for (UINT hour = 0; hour < drain.size(); ++hour) {
    if (!drain[hour]) {
      neverSampled = true;
    } else if (!highestHour || *drain[hour] > *drain[*highestHour]) {
      highestHour = hour;
    }
  }
  if (!highestHour) return std::nullopt;
  const double highest = *drain[*highestHour];

  std::string lines = "Drain by hour from 0:00: ";
  for (UINT hour = 0; hour < drain.size(); ++hour) {
    if (hour == currentHour) lines += '[';
    lines += drain[hour] ? Block(*drain[hour], highest) : kNeverSampled;
    if (hour == currentHour) lines += ']';
  }
  char scale[80];
  if (highest > 0) {
    std::snprintf(scale, sizeof scale, "\nHighest %.1f points an hour at %02u:00", highest,
                  *highestHour);
  } else {
    std::snprintf(scale, sizeof scale, "\nNo drain measured yet");
  }
  lines += scale;
  lines += "; now in brackets";
  if (neverSampled) lines += std::string("; ") + kNeverSampled + " never sampled";
  return lines;
}
