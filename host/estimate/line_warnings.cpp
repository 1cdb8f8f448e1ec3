#include "host/estimate/line_warnings.h"

#include <utility>

#include "host/estimate/estimate_notes.h"
#include "host/estimate/low_battery_text.h"
#include "host/estimate/shown_estimate.h"

LineWarnings::LineWarnings(WarningLevels levels) : watch_(std::move(levels)) {}

std::optional<LineWarning> LineWarnings::Observe(const std::string& line,
                                                 const EstimateView& view) {
  std::optional<double> hoursLeft;
  if (view.hours) hoursLeft = view.hours->hours;
  const BatteryReading reading{!OnlineShown(line), PercentShown(line), hoursLeft};
  const std::optional<WarningChange> change = watch_.Observe(reading);
  if (!change) return std::nullopt;
  if (std::holds_alternative<WithdrawWarning>(*change)) return WithdrawWarning{};
  std::optional<std::string> note;
  if (view.learning && view.statistics) note = WarningLearningNote();
  const ShowWarning& show = std::get<ShowWarning>(*change);
  return WarningToShow{
      LowBatterySummary(*reading.percent),
      LowBatteryBody(view.hours, show.inMinutes ? FigureIn::Minutes : FigureIn::Hours, note),
      show.critical};
}
