// What the host reads from the plug-in's painted line (the grammar is the plug-in's, read with its
// own reader, plugin/host/status_line.h): the charge, external power, and the hours-left figure
// with where it comes from: "62%, hrs: 9.1 (3.5)" from the hour-of-day statistics (9.1 hours left),
// "62%, hrs: 3.5/9.4" from the plug-in's linear extrapolation (9.4 hours left). None for "-?-",
// "N/A (online)" or an undetermined percent.
#pragma once

#include <optional>
#include <string>

struct ShownEstimate {
  int percent;
  double hoursLeft;
  bool fromStatistics;
};
std::optional<ShownEstimate> EstimateShown(const std::string& line);

// The hours left from the statistics alone: the first figure of "9.1 (3.5)".
std::optional<double> StatisticsShown(const std::string& line);

// The charge the line shows; nullopt for "?%" or a line without a charge.
std::optional<int> PercentShown(const std::string& line);
// Whether the line says the machine is on external power: "hrs: N/A (online)".
bool OnlineShown(const std::string& line);
