// Everything one status-bar line shows beside the plug-in's text (the battery's class, its
// percentage and the tooltip), built from the one power reading the line's paint took: while the
// report lives, the plug-in reads the power through it (PowerReadingTap).
#pragma once

#include <optional>
#include <string>

#include "host/front/bar/bar_line.h"
#include "host/estimate/discharge_follower.h"
#include "host/front/bar/power_reading_tap.h"
#include "host/estimate/stat_coverage.h"
#include "host/hosting/home_screen_session.h"

// What the tooltip starts with: what a status-bar user looks for first.
struct TooltipFigures {
  std::optional<SYSTEM_POWER_STATUS_EX2> status;  // nullopt: the power status could not be read
  std::optional<LinearFigure> linear;
  std::optional<StatisticsCheck> statistics;  // nullopt: no settings to find the stat file by
  LONG maxHistoryDays = 0;
};

// The charge and state; the linear estimate and the battery's own one when there are; the
// statistics' coverage; while they are still learning, a note saying so and how to read the line.
std::string TooltipHead(const TooltipFigures& figures);

class BarReport {
 public:
  explicit BarReport(HomeScreenSession& session);

  // The content of the line the session just painted with that text.
  BarContent Content(const std::string& text);

 private:
  HomeScreenSession& session_;
  DischargeFollower follower_;
  PowerReadingTap tap_;
  LONG maxHistoryDays_ = 0;
  std::optional<StatCoverage> coverage_;
};
