// The words of a low-battery notification: the charge as the summary ("Battery 10 %"), and as the
// body the hours to show with where they come from ("About 1.4 h left at your recent rate", or in
// minutes once they reach a time level: "About 25 min left at your recent rate"), then, while the
// statistics are still learning, the note that says so.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/estimate/hours_to_show.h"

std::string LowBatterySummary(int percent);

enum class FigureIn { Hours, Minutes };

// Without a figure the body says so; the note, when there is one, follows on a line of its own.
std::string LowBatteryBody(const std::optional<HoursToShow>& hours, FigureIn unit,
                           const std::optional<std::string>& learningNote);

// The critical warning's body while the action counts down, `doing` the action as the start of a
// sentence: "Hibernating in 60 s unless the charger is plugged in".
std::string CountdownBody(std::string_view doing);
// Its body where the action will not happen, and why: "Not hibernating: the system cannot
// hibernate; plug in the charger".
std::string NotTakenBody(std::string_view doing, std::string_view why);

// The hours a body states, read back; nullopt for a body without a figure.
std::optional<double> HoursInBody(const std::string& body);
