// The command-line options of simulation runs: the simulated battery's day, a run of whole days at
// full speed, a recorded trace to replay and the zone of the simulated clock.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/power/power_source_simulated.h"

struct SimulationOptions {
  SimulatedBattery::DrainProfile drain = SimulatedBattery::DefaultDrainProfile();
  double chargeRate = SimulatedBattery::kDefaultChargeRate;
  ChargingHabit habit;
  // --days: run this many simulated days at full speed and print the line every simulated hour.
  std::optional<int> days;
  // --trace: replay this recorded trace at full speed, with the same output.
  std::optional<std::string> traceFile;
  // Local time minus UTC in minutes; unset: the saved simulation's zone, else the machine's.
  std::optional<int> zoneMinutes;
  // --asleep-after: rows of the trace further apart than this many minutes mean the machine slept.
  std::optional<int> asleepAfterMinutes;
  // --print-warnings: the low-battery warnings the service would send, beside the hourly lines.
  bool printWarnings = false;

  bool fullSpeed() const { return days || traceFile; }
};

inline constexpr int kMostSimulatedDays = 100'000;
inline constexpr int kMostAsleepAfterMinutes = 100'000;

// The options that take a value, as "--name VALUE" or "--name=VALUE".
inline constexpr std::string_view kSimulationValueOptions[] = {
    "--days",        "--trace", "--zone",       "--drain",
    "--charge-rate", "--night", "--plug-below", "--asleep-after"};

// Applies one of kSimulationValueOptions; answers what is wrong with the value.
std::optional<std::string> ApplySimulationOption(std::string_view name, const std::string& value,
                                                 SimulationOptions& options);

// "+07:00", "-03:30", "+05", "Z" or "UTC": minutes ahead of UTC, within -14:00..+14:00.
std::optional<int> ParseZone(std::string_view text);

// The --help lines of these options.
std::string SimulationUsageText();
