#include "host/estimate/estimate_notes.h"

#include "host/estimate/hours_to_show.h"

std::string CoverageLine(UINT hoursWithDrain, LONG maxHistoryDays) {
  const std::string window = maxHistoryDays < 0 ? std::string("any age")
                             : maxHistoryDays == 1
                                 ? std::string("last day")
                                 : "last " + std::to_string(maxHistoryDays) + " days";
  return "Drain measured for " + std::to_string(hoursWithDrain) + " of the 24 hours of the day (" +
         window + ")";
}

std::string LearningNote(const StatisticsCheck& check) {
  if (check.hoursWithDrain < kLearnedHoursWithDrain || !check.agreement) {
    return "Still learning: the statistics' hours left read long until drain is measured for " +
           std::to_string(kLearnedHoursWithDrain) + " hours of the day";
  }
  return "Still learning: the statistics foresee " +
         std::to_string(static_cast<int>(*check.agreement * 100)) +
         " % of the drain of the last discharges, so their hours left read long";
}

std::string WarningLearningNote() { return "Still learning the drain by hour of day"; }

std::string LineExplanation() {
  return "The line: until the statistics hold a day's drain, hours on battery/hours left from the "
         "drop so far "
         "(0.2/17.9); then hours left (hours on battery) from the statistics (311.3 (1.5)). Hours "
         "on battery start "
         "again from 0.0 after each flush of a long discharge";
}

std::string LinearEstimateLine(double hoursLeft, int pointsDropped, double hoursOnBattery) {
  return "Linear estimate: " + HoursToATenth(hoursLeft) + " hours left (" +
         std::to_string(pointsDropped) + (pointsDropped == 1 ? " point in " : " points in ") +
         HoursToATenth(hoursOnBattery) + " hours on battery)";
}

std::optional<std::string> BatteryLifeTimeLine(DWORD seconds) {
  if (seconds == BATTERY_LIFE_UNKNOWN) return std::nullopt;
  return "The battery reports " + HoursToATenth(seconds / 3600.0) + " hours left";
}
