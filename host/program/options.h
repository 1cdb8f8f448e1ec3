// The command line of zelvar-home.
#pragma once

#include <optional>
#include <string>

#include "host/act/critical_action.h"
#include "host/estimate/notify_thresholds.h"
#include "host/front/bar/bar_text_format.h"
#include "host/front/simulation/simulation_options.h"
#include "host/hosting/outcome.h"

// A command that runs instead of the home screen.
enum class ProgramCommand { HomeScreen, Report, Stats, Register, Unregister };

struct HostOptions {
  ProgramCommand command = ProgramCommand::HomeScreen;
  bool once = false;
  // --bar: a long-running status-bar line on standard output; --json (with --bar) in waybar's form.
  bool bar = false;
  bool json = false;
  // --service: keeps the files, learns and warns of a low battery, without standard output.
  bool service = false;
  // --notify-below: the charge levels of the low-battery warnings, before the home-screen file's.
  std::optional<NotifyThresholds> notifyBelow;
  // --notify-below-minutes: the time levels of the warnings, before the home-screen file's.
  std::optional<NotifyMinutes> notifyBelowMinutes;
  // --critical-action and --critical-below (with --bar or --service): what the keeper does at the
  // critical level on battery, before the home-screen file's CriticalAction and CriticalBelow.
  std::optional<CriticalAction> criticalAction;
  std::optional<int> criticalBelow;
  // --notify-full: a notification once per charge when the battery is charged.
  bool notifyFull = false;
  // --format (with --bar): the bar's text, before the home-screen file's Format.
  std::optional<BarTextFormat> barFormat;
  bool help = false;
  // Set by --simulate: a simulated battery, and a simulated clock running this many times faster
  // than real time.
  std::optional<double> simulateSpeed;
  SimulationOptions simulation;
  std::optional<std::string> sysfsFolder;
  std::optional<std::string> deviceRoot;
  std::optional<std::string> homeScreenFile;
  std::optional<std::string> moduleFile;
};

// The speed of --simulate without a value: an hour a minute.
inline constexpr double kDefaultSimulationSpeed = 60.0;
// Higher speeds would move the simulated clock by days between two frames.
inline constexpr double kFastestSimulation = 1'000'000.0;

// The options, or what is wrong with the command line.
Outcome<HostOptions> ParseOptions(int argc, const char* const* argv);

// The --help text.
std::string UsageText();
