// Everything one status-bar line shows beside the plug-in's text (the battery's class, its
// percentage and the tooltip), built from the one power reading the line's paint took: while the
// report lives, the plug-in reads the power through it (PowerReadingTap).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/estimate/estimate_follower.h"
#include "host/front/bar/bar_line.h"
#include "host/estimate/power_reading_tap.h"
#include "host/hosting/home_screen_session.h"

// What the tooltip starts with, what a status-bar user looks for first: the hours to show when
// there are; the charge and state (in the words of its BatteryClass); the linear estimate and the
// battery's own one when there are; the statistics' coverage (maxHistoryDays their window) and the
// day's drain by hour; while they are still learning, a note saying so and how to read the line.
std::string TooltipHead(const EstimateView& view, const char* batteryClass, LONG maxHistoryDays);

// The line's classes, as a bar styles it: its BatteryClass ("critical" at or below criticalLevel),
// then "learning" while the statistics are still learning.
std::vector<std::string> BarClasses(const EstimateView& view, int criticalLevel);

class BarReport {
 public:
  explicit BarReport(HomeScreenSession& session);

  // The hours-left figures of the line the session just painted with that text.
  EstimateView Figures(const std::string& text) { return estimate_.For(text); }
  // Where the batteries' charging ends, as the line's reading found (PowerSource::LastChargeEnd).
  std::optional<ChargeEnd> chargeEnd() const { return tap_.LastChargeEnd(); }
  // The content of that line, with its figures; "critical" at or below criticalLevel.
  BarContent Content(const std::string& text, const EstimateView& view, int criticalLevel);

 private:
  HomeScreenSession& session_;
  EstimateFollower estimate_;
  PowerReadingTap tap_;
  LONG maxHistoryDays_ = 0;
};
