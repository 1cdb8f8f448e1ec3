// The hours-left figure a painted line shows, and where it comes from: "62%, hrs: 9.1 (3.5)" from
// the hour-of-day statistics (9.1 hours left), "62%, hrs: 3.5/9.4" from the plug-in's linear
// extrapolation (9.4 hours left), with or without the line's leading blank. None for "-?-", "N/A
// (online)" or an undetermined percent.
#pragma once

#include <optional>
#include <string>

struct ShownEstimate {
  int percent;
  double hoursLeft;
  bool fromStatistics;
};
std::optional<ShownEstimate> EstimateShown(const std::string& line);

// The charge the line shows; nullopt for "?%" or a line without a charge.
std::optional<int> PercentShown(const std::string& line);
// Whether the line says the machine is on external power: "hrs: N/A (online)".
bool OnlineShown(const std::string& line);
