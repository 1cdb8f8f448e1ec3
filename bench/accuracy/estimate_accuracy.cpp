#include "bench/accuracy/estimate_accuracy.h"

#include <algorithm>
#include <cmath>

#include "platform/time/calendar.h"

namespace {

double Hours(ULONGLONG units) {
  return static_cast<double>(units) / static_cast<double>(kFileTimeUnitsPerHour);
}

// The reading in force at utc: the last one at or before it.
const TraceReading& ReadingAt(const std::vector<TraceReading>& readings, ULONGLONG utc) {
  const auto after = std::upper_bound(
      readings.begin(), readings.end(), utc,
      [](ULONGLONG time, const TraceReading& reading) { return time < reading.utc; });
  return after == readings.begin() ? readings.front() : *std::prev(after);
}

}  // namespace

std::vector<OnBatteryPeriod> OnBatteryPeriods(const std::vector<TraceReading>& readings,
                                              ULONGLONG minimum, size_t* shorter) {
  std::vector<OnBatteryPeriod> periods;
  for (size_t i = 0; i < readings.size();) {
    if (readings[i].state != TraceState::Discharging) {
      ++i;
      continue;
    }
    size_t last = i;
    while (last + 1 < readings.size() && readings[last + 1].state == TraceState::Discharging &&
           readings[last + 1].percent <= readings[last].percent) {
      ++last;
    }
    const TraceReading& lastReading = readings[last];
    OnBatteryPeriod period{i, last, lastReading.utc, lastReading.utc, lastReading.percent, true};
    if (last + 1 < readings.size()) {
      const TraceReading& next = readings[last + 1];
      period.endsAt = next.utc;
      period.cutOff = false;
      if (next.percent <= lastReading.percent) {
        period.judgedUntil = next.utc;
        period.endPercent = next.percent;
      }
    }
    if (period.endsAt - readings[i].utc >= minimum) {
      periods.push_back(period);
    } else if (shorter != nullptr) {
      ++*shorter;
    }
    i = last + 1;
  }
  return periods;
}

Judgement JudgeHours(const std::vector<TraceReading>& readings,
                     const std::vector<HourlyLine>& lines) {
  Judgement judgement;
  const std::vector<OnBatteryPeriod> periods =
      OnBatteryPeriods(readings, kFileTimeUnitsPerHour, &judgement.shortPeriods);
  judgement.periods = periods.size();
  auto line = lines.begin();
  for (const OnBatteryPeriod& period : periods) {
    if (period.cutOff) ++judgement.cutOffPeriods;
    if (period.first == period.last) ++judgement.singleRowPeriods;
    const TraceReading& start = readings[period.first];
    for (; line != lines.end() && line->utc < period.judgedUntil; ++line) {
      if (line->utc <= start.utc) continue;
      const std::optional<ShownEstimate> shown = EstimateShown(line->line);
      if (!shown) {
        ++judgement.withoutEstimate;
        continue;
      }
      const double now = ReadingAt(readings, line->utc).percent;
      const double actual = (now - period.endPercent) / Hours(period.judgedUntil - line->utc);
      if (actual <= 0.0) {
        ++judgement.withoutDrain;
        continue;
      }
      std::optional<double> linear;
      if (start.percent > now) linear = (start.percent - now) / Hours(line->utc - start.utc);
      const bool withinFirstHour = line->utc - start.utc < kFileTimeUnitsPerHour;
      std::optional<double> lastHour = linear;
      if (!withinFirstHour) {
        const double hourAgo = ReadingAt(readings, line->utc - kFileTimeUnitsPerHour).percent;
        lastHour = hourAgo > now ? std::optional(hourAgo - now) : std::nullopt;
      }
      if (!linear) ++judgement.linearWithoutDrop;
      if (!lastHour) ++judgement.recentWithoutDrop;
      const double lineRate = shown->hoursLeft > 0.0 ? shown->percent / shown->hoursLeft : INFINITY;
      const bool recorded = line->utc - ReadingAt(readings, line->utc).utc < kFileTimeUnitsPerHour;
      judgement.hours.push_back({line->utc, actual, lineRate, linear, lastHour,
                                 shown->fromStatistics, recorded, period.cutOff,
                                 line->hoursWithDrain, now / actual, shown->hoursLeft,
                                 line->hostLinear, line->toShow, line->learning});
    }
  }
  return judgement;
}

std::vector<std::optional<JudgedWarning>> JudgeWarnings(
    const std::vector<TraceReading>& readings, const std::vector<StatedWarning>& warnings) {
  const std::vector<OnBatteryPeriod> periods = OnBatteryPeriods(readings, 0);
  std::vector<std::optional<JudgedWarning>> judged;
  for (const StatedWarning& warning : warnings) {
    const auto period = std::find_if(periods.begin(), periods.end(), [&](const OnBatteryPeriod& p) {
      return readings[p.first].utc <= warning.utc && warning.utc < p.judgedUntil;
    });
    if (period == periods.end()) {
      judged.emplace_back();
      continue;
    }
    const double percent = ReadingAt(readings, warning.utc).percent;
    const double hoursToEnd = Hours(period->judgedUntil - warning.utc);
    const double drop = percent - period->endPercent;
    std::optional<double> trueHours;
    if (drop > 0.0) trueHours = percent * hoursToEnd / drop;
    judged.emplace_back(
        JudgedWarning{warning, percent, hoursToEnd, drop, trueHours, period->cutOff});
  }
  return judged;
}

double RelativeError(double estimate, double actual) {
  return std::fabs(estimate - actual) / actual;
}

ErrorSummary Summarize(std::vector<double> errors) {
  ErrorSummary summary;
  summary.count = errors.size();
  if (errors.empty()) return summary;
  std::sort(errors.begin(), errors.end());
  const size_t middle = errors.size() / 2;
  summary.median =
      errors.size() % 2 == 1 ? errors[middle] : (errors[middle - 1] + errors[middle]) / 2;
  const auto rank = static_cast<size_t>(std::ceil(0.9 * static_cast<double>(errors.size())));
  summary.p90 = errors[std::max<size_t>(rank, 1) - 1];
  return summary;
}
