// The low-battery warnings decided from the lines a keeping run paints, for every front end that
// passes them on (the desktop's notification service, a replay's printed lines): the charge and the
// power as the line shows them, the hours to show (EstimateFollower), which the time levels are
// judged on and the words state (low_battery_text.h), and while the statistics are still learning
// the note that says so.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "host/estimate/estimate_follower.h"
#include "host/estimate/low_battery_watch.h"

struct WarningToShow {
  std::string summary;
  std::string body;  // lines separated by "\n"
  bool critical;
  bool operator==(const WarningToShow&) const = default;
};
using LineWarning = std::variant<WarningToShow, WithdrawWarning>;

class LineWarnings {
 public:
  explicit LineWarnings(WarningLevels levels);

  // What the changed line, with its figures, brings: a warning to show, its withdrawal, or nothing.
  std::optional<LineWarning> Observe(const std::string& line, const EstimateView& view);

 private:
  LowBatteryWatch watch_;
};
