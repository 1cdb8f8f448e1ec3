#include "host/front/simulation/simulation_options.h"

#include <algorithm>

#include "host/hosting/checked_number.h"

namespace {

constexpr int kMostZoneMinutes = 14 * 60;
constexpr double kFastestRate = 1000.0;  // percentage points per hour

// One rate for every hour, or 24 separated by commas.
std::optional<SimulatedBattery::DrainProfile> DrainProfileOf(std::string_view text) {
  SimulatedBattery::DrainProfile profile{};
  size_t hour = 0;
  for (;;) {
    const size_t comma = std::min(text.find(','), text.size());
    const std::optional<double> rate = CheckedNumber(text.substr(0, comma), 0.0, 100.0);
    if (!rate || hour == profile.size()) return std::nullopt;
    profile[hour++] = *rate;
    if (comma == text.size()) break;
    text.remove_prefix(comma + 1);
  }
  if (hour == 1) profile.fill(profile[0]);
  if (hour != 1 && hour != profile.size()) return std::nullopt;
  return profile;
}

// nullopt when the value was taken, else why not.
std::optional<std::string> ProblemUnless(bool taken, const char* problem) {
  if (taken) return std::nullopt;
  return problem;
}

}  // namespace

std::optional<int> ParseZone(std::string_view text) {
  if (text == "Z" || text == "UTC") return 0;
  if (text.size() < 2 || (text[0] != '+' && text[0] != '-')) return std::nullopt;
  const int sign = text[0] == '-' ? -1 : 1;
  text.remove_prefix(1);
  const size_t colon = text.find(':');
  const std::string_view hoursText = text.substr(0, colon);
  if (hoursText.size() != 2) return std::nullopt;
  const std::optional<int> hours = CheckedNumber(hoursText, 0, 14);
  std::optional<int> minutes = 0;
  if (colon != std::string_view::npos) {
    const std::string_view minutesText = text.substr(colon + 1);
    minutes = minutesText.size() == 2 ? CheckedNumber(minutesText, 0, 59) : std::nullopt;
  }
  if (!hours || !minutes || *hours * 60 + *minutes > kMostZoneMinutes) return std::nullopt;
  return sign * (*hours * 60 + *minutes);
}

std::optional<std::string> ApplySimulationOption(std::string_view name, const std::string& value,
                                                 SimulationOptions& options) {
  if (name == "--days") {
    options.days = CheckedNumber(value, 1, kMostSimulatedDays);
    return ProblemUnless(options.days.has_value(),
                         "--days needs a whole number of days from 1 to 100000");
  }
  if (name == "--trace") {
    options.traceFile = value;
    return std::nullopt;
  }
  if (name == "--asleep-after") {
    options.asleepAfterMinutes = CheckedNumber(value, 1, kMostAsleepAfterMinutes);
    return ProblemUnless(options.asleepAfterMinutes.has_value(),
                         "--asleep-after needs a whole number of minutes from 1 to 100000");
  }
  if (name == "--zone") {
    options.zoneMinutes = ParseZone(value);
    return ProblemUnless(options.zoneMinutes.has_value(),
                         "--zone needs an offset from UTC such as +07:00, -03:30 or UTC");
  }
  if (name == "--drain") {
    const std::optional<SimulatedBattery::DrainProfile> profile = DrainProfileOf(value);
    if (profile) options.drain = *profile;
    return ProblemUnless(profile.has_value(),
                         "--drain needs one rate or 24 rates separated by commas, each from 0 to "
                         "100 points an hour");
  }
  if (name == "--charge-rate") {
    const std::optional<double> rate = CheckedNumber(value, 0.0, kFastestRate);
    if (rate && *rate > 0.0) options.chargeRate = *rate;
    return ProblemUnless(rate && *rate > 0.0,
                         "--charge-rate needs a number of points an hour above 0 and at most 1000");
  }
  if (name == "--night") {
    const size_t dash = value.find('-');
    const std::string_view text = value;
    const std::optional<int> plugIn = CheckedNumber(text.substr(0, dash), 0, 23);
    const std::optional<int> unplug =
        dash == std::string_view::npos ? std::nullopt : CheckedNumber(text.substr(dash + 1), 0, 23);
    if (plugIn && unplug) {
      options.habit.plugInHour = *plugIn;
      options.habit.unplugHour = *unplug;
    }
    return ProblemUnless(plugIn && unplug, "--night needs two hours of the day such as 23-7");
  }
  if (name == "--plug-below") {
    const std::optional<double> percent = CheckedNumber(value, 0.0, 99.0);
    if (percent) options.habit.plugBelowPercent = *percent;
    return ProblemUnless(percent.has_value(), "--plug-below needs a percent from 0 to 99");
  }
  return "unknown option " + std::string(name);
}

std::string SimulationUsageText() {
  std::string drain;
  for (const double rate : SimulatedBattery::DefaultDrainProfile()) {
    if (!drain.empty()) drain += ',';
    drain += std::to_string(static_cast<int>(rate));
  }
  std::string text =
      R"(Simulation (with --simulate, or --days, or --trace; its files are kept apart from the real
battery's, in $XDG_STATE_HOME/zelvar/simulation, else ~/.local/state/zelvar/simulation, and a next
simulation goes on from the simulated time where the last one stopped):
  --days N             run N simulated days as fast as the machine allows, without a terminal,
                       printing the simulated local time and the line every simulated hour
  --trace FILE         replay a recorded trace (CSV lines "unix_seconds,percent,state"; state
                       discharging, charging, full or unknown; '#' comments) as fast as the
                       machine allows, with the same output, until the trace ends; a replay
                       starts with no statistics and keeps no files
  --asleep-after MINUTES
                       with --trace: rows further apart than MINUTES mean the machine slept
                       (for a logger that writes at a steady pace): nothing happens in the
                       gap and no line is printed, and at the next row the replay wakes as
                       after a resume; without it a gap holds the reading before it, as for
                       a logger that writes only on change
  --print-warnings     with --days or --trace: print each low-battery warning the service would
                       send, "YYYY-MM-DD HH:MM warning: SUMMARY / BODY" (the body's lines
                       joined by "; "), and each withdrawal, "YYYY-MM-DD HH:MM withdrawn", at
                       the simulated local time, beside the hourly lines
  --zone OFFSET        local time of the simulated clock, such as +07:00, -03:30 or UTC; for
                       a trace the zone it was recorded in (default UTC for a trace, else the
                       saved simulation's zone, else the machine's)
  --drain RATES        the simulated battery's drain in percentage points an hour: one rate, or
                       24 separated by commas for the local hours 0 to 23 (default
                       DRAIN)
  --charge-rate RATE   points an hour on the charger (default 40)
  --night H-H          on the charger every night from the first local hour to the second
                       (default 23-7; equal hours: never)
  --plug-below P       on the charger when the charge falls to P percent, until full (default 15)
)";
  text.replace(text.find("DRAIN"), 5, drain);
  return text;
}
