#include "host/estimate/shown_estimate.h"

#include <cmath>

#include "plugin_host/status_line.h"

namespace {

// The hours as the line shows them, to the tenth, rather than the float the plug-in held.
double ShownHours(float hours) { return std::nearbyint(static_cast<double>(hours) * 10.0) / 10.0; }

}  // namespace

std::optional<ShownEstimate> EstimateShown(const std::string& line) {
  const std::optional<StatusLineFigures> figures = ParseStatusLine(line);
  if (!figures || figures->percent > kHighestDeterminedPercent) return std::nullopt;
  const int percent = static_cast<int>(figures->percent);
  if (figures->form == EstimateForm::Estimate)
    return ShownEstimate{percent, ShownHours(figures->first), true};
  if (figures->form == EstimateForm::Extrapolation)
    return ShownEstimate{percent, ShownHours(figures->second), false};
  return std::nullopt;
}

std::optional<double> StatisticsShown(const std::string& line) {
  const std::optional<ShownEstimate> shown = EstimateShown(line);
  if (!shown || !shown->fromStatistics) return std::nullopt;
  return shown->hoursLeft;
}

std::optional<int> PercentShown(const std::string& line) {
  const std::optional<StatusLineFigures> figures = ParseStatusLine(line);
  if (!figures || figures->percent > kHighestDeterminedPercent) return std::nullopt;
  return static_cast<int>(figures->percent);
}

bool OnlineShown(const std::string& line) {
  const std::optional<StatusLineFigures> figures = ParseStatusLine(line);
  return figures && figures->form == EstimateForm::Online;
}
