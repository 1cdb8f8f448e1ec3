// What the host shows of the hours left beside the plug-in's line, for every front end that runs
// the plug-in: fed each power reading the plug-in takes, it keeps the host's linear figure and the
// statistics' coverage of the day, and for each painted line gives the hours to show.
#pragma once

#include <optional>
#include <string>

#include "host/estimate/discharge_follower.h"
#include "host/estimate/hours_to_show.h"
#include "host/estimate/stat_coverage.h"
#include "plugin_host/saved_configuration.h"

// The figures of one line.
struct EstimateView {
  std::optional<SYSTEM_POWER_STATUS_EX2> status;  // the last reading; nullopt: failed, or none yet
  std::optional<LinearFigure> linear;
  // nullopt: no settings to find the stat file by, or no battery to learn of
  std::optional<StatisticsCheck> statistics;
  bool learning = true;  // StillLearning; without a stat file to judge by, not trusted either
  std::optional<HoursToShow> hours;
  UINT localHour = 0;  // the hour of the day the line was painted in
};

class EstimateFollower {
 public:
  // The plug-in's settings give its refresh and its stat file; without them the stat file is not
  // known and no gap between readings counts as a resume.
  explicit EstimateFollower(const std::optional<SavedConfiguration>& settings);

  // One reading the plug-in took at utc (file time), nullopt for a failed one, with the batteries
  // where the power source tells them (PowerSource::LastPack).
  void Observe(ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
               const std::optional<BatteryPack>& pack = std::nullopt);

  // The figures for the line the plug-in painted from the last reading.
  EstimateView For(const std::string& lineText);

 private:
  DischargeFollower discharge_;
  std::optional<StatCoverage> coverage_;
  std::optional<SYSTEM_POWER_STATUS_EX2> last_;
};
