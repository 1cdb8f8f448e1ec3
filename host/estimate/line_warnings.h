// The low-battery warnings decided from the lines a keeping run paints, for every front end that
// passes them on (the desktop's notification service, a replay's printed lines): the charge, the
// power and the hours-left figure as the line shows them, the words from low_battery_text.h, and
// while the statistics are still learning the note that says so.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "host/estimate/low_battery_watch.h"
#include "host/estimate/statistics_check.h"
#include "plugin_host/saved_configuration.h"

struct WarningToShow {
  std::string summary;
  std::string body;  // lines separated by "\n"
  bool critical;
  bool operator==(const WarningToShow&) const = default;
};
using LineWarning = std::variant<WarningToShow, WithdrawWarning>;

class LineWarnings {
 public:
  // The check of the statistics, asked for each warning shown.
  using CheckStatistics = std::function<StatisticsCheck()>;

  LineWarnings(NotifyThresholds thresholds, CheckStatistics checkStatistics);

  // What the changed line brings: a warning to show, its withdrawal, or nothing.
  std::optional<LineWarning> Observe(const std::string& line);

 private:
  LowBatteryWatch watch_;
  CheckStatistics checkStatistics_;
};

// The warnings of a keeping run with these settings: still learning as the status bar says, by the
// check of the stat file's records (StatCoverage).
LineWarnings LineWarningsFor(NotifyThresholds thresholds, const SavedConfiguration& settings);
