#include "host/estimate/line_warnings.h"

#include <memory>
#include <utility>

#include "host/estimate/estimate_notes.h"
#include "host/estimate/low_battery_text.h"
#include "host/estimate/shown_estimate.h"
#include "host/estimate/stat_coverage.h"

LineWarnings::LineWarnings(NotifyThresholds thresholds, CheckStatistics checkStatistics)
    : watch_(std::move(thresholds)), checkStatistics_(std::move(checkStatistics)) {}

std::optional<LineWarning> LineWarnings::Observe(const std::string& line) {
  const BatteryReading reading{!OnlineShown(line), PercentShown(line)};
  const std::optional<WarningChange> change = watch_.Observe(reading);
  if (!change) return std::nullopt;
  if (std::holds_alternative<WithdrawWarning>(*change)) return WithdrawWarning{};
  std::optional<HoursLeft> left;
  if (const std::optional<ShownEstimate> shown = EstimateShown(line))
    left = HoursLeft{shown->hoursLeft, shown->fromStatistics};
  std::optional<std::string> note;
  if (const StatisticsCheck check = checkStatistics_(); StillLearning(check))
    note = LearningNote(check);
  return WarningToShow{LowBatterySummary(*reading.percent), LowBatteryBody(left, note),
                       std::get<ShowWarning>(*change).critical};
}

LineWarnings LineWarningsFor(NotifyThresholds thresholds, const SavedConfiguration& settings) {
  auto coverage = std::make_shared<StatCoverage>(settings.StatFilename, settings.MaxHistoryDays);
  return LineWarnings(std::move(thresholds), [coverage] { return coverage->Check(); });
}
