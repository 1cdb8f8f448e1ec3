// The words of a low-battery notification: the charge as the summary ("Battery 10 %"), and as the
// body the plug-in's hours-left figure with where it comes from ("About 1.4 h left at this time of
// day" from the hour-of-day statistics), then, while the statistics are still learning, the note
// that says so.
#pragma once

#include <optional>
#include <string>

struct HoursLeft {
  double hours;
  bool fromStatistics;  // else the linear figure of the current discharge
};

std::string LowBatterySummary(int percent);

// Without a figure the body says so; the note, when there is one, follows on a line of its own.
std::string LowBatteryBody(const std::optional<HoursLeft>& left,
                           const std::optional<std::string>& learningNote);

// The hours a body states, read back; nullopt for a body without a figure.
std::optional<double> HoursInBody(const std::string& body);
