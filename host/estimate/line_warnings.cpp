#include "host/estimate/line_warnings.h"

#include <utility>

#include "host/estimate/estimate_notes.h"
#include "host/estimate/low_battery_text.h"
#include "host/estimate/shown_estimate.h"

LineWarnings::LineWarnings(NotifyThresholds thresholds) : watch_(std::move(thresholds)) {}

std::optional<LineWarning> LineWarnings::Observe(const std::string& line,
                                                 const EstimateView& view) {
  const BatteryReading reading{!OnlineShown(line), PercentShown(line)};
  const std::optional<WarningChange> change = watch_.Observe(reading);
  if (!change) return std::nullopt;
  if (std::holds_alternative<WithdrawWarning>(*change)) return WithdrawWarning{};
  std::optional<std::string> note;
  if (view.learning && view.statistics) note = LearningNote(*view.statistics);
  return WarningToShow{LowBatterySummary(*reading.percent), LowBatteryBody(view.hours, note),
                       std::get<ShowWarning>(*change).critical};
}
