#include "host/estimate/shown_estimate.h"

#include <regex>

std::optional<ShownEstimate> EstimateShown(const std::string& line) {
  static const std::regex statistics(
      R"( ?(\d+)%, (?:-?\d+ mA, )?hrs: (-?[0-9.]+) \((-?[0-9.]+)\))");
  static const std::regex linear(R"( ?(\d+)%, (?:-?\d+ mA, )?hrs: (-?[0-9.]+)/(-?[0-9.]+|inf))");
  std::smatch match;
  if (std::regex_match(line, match, statistics))
    return ShownEstimate{std::stoi(match[1]), std::stod(match[2]), true};
  if (std::regex_match(line, match, linear))
    return ShownEstimate{std::stoi(match[1]), std::stod(match[3]), false};
  return std::nullopt;
}

std::optional<int> PercentShown(const std::string& line) {
  static const std::regex percent(R"( ?(\d+)%, .*)");
  std::smatch match;
  if (std::regex_match(line, match, percent)) return std::stoi(match[1]);
  return std::nullopt;
}

bool OnlineShown(const std::string& line) { return line.ends_with("hrs: N/A (online)"); }
