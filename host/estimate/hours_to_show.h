// The hours to show: the one figure of hours left that the host itself puts before a person (a
// low-battery warning's body, the tooltip's first line, a status bar's {hours}), and where it comes
// from.
//
// The plug-in's statistics count an hour of the day without measured drain as free: while they are
// still learning, and on any day with hours they never sampled (a user who charges at night), their
// figure reads long, several times the real hours. A rate since unplugging reads long after a quiet
// stretch on battery or when the drain rises, so the host's linear figure goes by the faster of it
// and the drain of the last half hour (DischargeFollower::HoursLeft). A person acts on the figure,
// so it must not overstate: the shorter of the two; while learning, the linear figure alone; before
// either exists, the hours the battery itself reports.
#pragma once

#include <optional>
#include <string>

enum class HoursSource {
  RecentRate,      // the host's linear figure
  TimeOfDay,       // the plug-in's hour-of-day statistics
  BatteryReports,  // the battery's own figure (BatteryLifeTime)
};

struct HoursToShow {
  double hours;
  HoursSource source;
  bool operator==(const HoursToShow&) const = default;
};

// What the choice is made from; each figure nullopt when there is none.
struct EstimateFigures {
  std::optional<double> statistics;      // the plug-in's line, "9.1 (3.5)"
  std::optional<double> linear;          // the host's, DischargeFollower::HoursLeft
  std::optional<double> batteryReports;  // the hours the battery reports
  bool learning = false;                 // the statistics are still learning (StillLearning)
};

// The shorter of the statistics and the linear figure, the statistics only when not learning; else
// the battery's own figure; else nothing. A figure below zero or no finite number counts as none.
std::optional<HoursToShow> ChooseHoursToShow(const EstimateFigures& figures);

// Hours as the host writes them, "1.4": to a tenth, rounded down, so that a figure of 0.66 h (40
// minutes) reads 0.6, never 0.7 (42 minutes). A figure a person acts on must not say more.
std::string HoursToATenth(double hours);

// "About 1.4 h left at your recent rate", "About 1.4 h left at this time of day", "About 1.4 h
// left as the battery reports".
std::string HoursToShowWords(const HoursToShow& shown);

// "About 25 min left at your recent rate": the figure in whole minutes, rounded down so that the
// words never say more than the figure; an hour or more in hours, as HoursToShowWords.
std::string MinutesToShowWords(const HoursToShow& shown);
