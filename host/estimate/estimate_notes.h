// What the host tells a user about the plug-in's hours-left figure: how much of the day the
// statistics cover, whether they are still learning, and the other figures to go by meanwhile. One
// owner of these texts for every front end (the status bar's tooltip, a desktop notification).
//
// The plug-in counts an hour of the day without measured drain as free, so until drain has been
// measured for most hours its figure reads far too long. On the recorded traces the error of the
// line's drain rate falls from a median of about 0.87 below 12 hours with drain to about 0.3 above
// 20 (docs/quality.md): below 12 the statistics are still learning. So are statistics that foresee
// less than half the drop of the latest discharges (statistics_check.h): their figure would read
// more than about twice the hours the battery gives.
#pragma once

#include <optional>
#include <string>

#include "host/estimate/statistics_check.h"
#include "platform/api.h"

inline constexpr UINT kLearnedHoursWithDrain = 12;
inline constexpr double kLeastAgreement = 0.5;

constexpr bool StillLearning(const StatisticsCheck& check) {
  return check.hoursWithDrain < kLearnedHoursWithDrain ||
         (check.agreement && *check.agreement < kLeastAgreement);
}

// "Drain measured for 12 of the 24 hours of the day (last 30 days)"; a negative window, which the
// plug-in reads as a huge one, is "(any age)".
std::string CoverageLine(UINT hoursWithDrain, LONG maxHistoryDays);

// One line: the figure reads long until the statistics cover the day, or while they foresee too
// little of the latest discharges' drop.
std::string LearningNote(const StatisticsCheck& check);

// A warning's note while the statistics are still learning. Its figure then never comes from them,
// so one short line says so much, and a notification shows it whole beside the figure.
std::string WarningLearningNote();

// How to read the line in the first hours, and after.
std::string LineExplanation();

// "Linear estimate: 17.9 hours left (4 points in 0.8 hours on battery)"
std::string LinearEstimateLine(double hoursLeft, int pointsDropped, double hoursOnBattery);

// "The battery reports 5.2 hours left"; nullopt when it reports none (BATTERY_LIFE_UNKNOWN).
std::optional<std::string> BatteryLifeTimeLine(DWORD seconds);
