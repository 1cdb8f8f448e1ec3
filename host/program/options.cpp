#include "host/program/options.h"

#include <limits>
#include <string_view>
#include <utility>

#include "host/hosting/checked_number.h"

namespace {

// "--name VALUE" or "--name=VALUE" for an option that takes a value: nullopt when the argument at
// `index` is not that option, else its value or why it has none.
std::optional<Outcome<std::string>> TakeValue(std::string_view name, int argc,
                                              const char* const* argv, int& index) {
  const std::string_view arg = argv[index];
  if (arg.substr(0, name.size()) != name) return std::nullopt;
  std::string value;
  if (arg.size() == name.size()) {
    if (index + 1 >= argc) return Problem{std::string(name) + " needs a value"};
    value = argv[++index];
  } else if (arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
  } else {
    return std::nullopt;
  }
  if (value.empty()) return Problem{std::string(name) + " needs a value"};
  return Outcome<std::string>(std::move(value));
}

// Above zero: a clock that stands still never reaches a timer.
std::optional<double> ParseSpeed(std::string_view text) {
  return CheckedNumber(text, std::numeric_limits<double>::denorm_min(), kFastestSimulation);
}

constexpr std::pair<std::string_view, ProgramCommand> kCommands[] = {
    {"--report", ProgramCommand::Report},
    {"--stats", ProgramCommand::Stats},
    {"--register", ProgramCommand::Register},
    {"--unregister", ProgramCommand::Unregister},
};

constexpr std::pair<std::string_view, std::optional<std::string> HostOptions::*> kPathOptions[] = {
    {"--sysfs", &HostOptions::sysfsFolder},
    {"--device-root", &HostOptions::deviceRoot},
    {"--home", &HostOptions::homeScreenFile},
    {"--module", &HostOptions::moduleFile},
};

// Takes the option without a value that `arg` names; answers whether it was one.
bool TakeFlag(std::string_view arg, HostOptions& options) {
  if (arg == "--once") {
    options.once = true;
  } else if (arg == "--bar") {
    options.bar = true;
  } else if (arg == "--json") {
    options.json = true;
  } else if (arg == "--print-warnings") {
    options.simulation.printWarnings = true;
  } else if (arg == "--notify-full") {
    options.notifyFull = true;
  } else if (arg == "--service") {
    options.service = true;
  } else if (arg == "--help" || arg == "-h") {
    options.help = true;
  } else if (arg == "--simulate") {
    options.simulateSpeed = kDefaultSimulationSpeed;
  } else {
    return false;
  }
  return true;
}

// Takes the option at `index` (and its value); answers what is wrong with it.
std::optional<std::string> TakeOption(int argc, const char* const* argv, int& index,
                                      HostOptions& options) {
  const std::string_view arg = argv[index];
  if (TakeFlag(arg, options)) return std::nullopt;
  if (arg.starts_with("--simulate=")) {
    options.simulateSpeed = ParseSpeed(arg.substr(11));
    if (!options.simulateSpeed)
      return "--simulate=SPEED needs a number above 0 and at most 1000000";
    return std::nullopt;
  }
  for (const auto& [name, named] : kCommands) {
    if (arg != name) continue;
    // One command per run.
    if (options.command != ProgramCommand::HomeScreen && options.command != named)
      return "only one of --report, --stats, --register and --unregister";
    options.command = named;
    return std::nullopt;
  }
  for (const auto& [name, member] : kPathOptions) {
    std::optional<Outcome<std::string>> value = TakeValue(name, argc, argv, index);
    if (!value) continue;
    if (!value->ok()) return value->problem();
    options.*member = std::move(value->value());
    return std::nullopt;
  }
  if (const std::optional<Outcome<std::string>> value =
          TakeValue("--notify-below", argc, argv, index)) {
    if (!value->ok()) return value->problem();
    options.notifyBelow = ParseNotifyThresholds(value->value());
    if (!options.notifyBelow) return std::string("--notify-below needs ") + kNotifyThresholdsForm;
    return std::nullopt;
  }
  if (const std::optional<Outcome<std::string>> value =
          TakeValue("--critical-action", argc, argv, index)) {
    if (!value->ok()) return value->problem();
    options.criticalAction = ParseCriticalAction(value->value());
    if (!options.criticalAction)
      return std::string("--critical-action needs ") + kCriticalActionForm;
    return std::nullopt;
  }
  if (const std::optional<Outcome<std::string>> value =
          TakeValue("--critical-below", argc, argv, index)) {
    if (!value->ok()) return value->problem();
    options.criticalBelow = CheckedNumber(value->value(), 1, 100);
    if (!options.criticalBelow) return "--critical-below needs a whole percent from 1 to 100";
    return std::nullopt;
  }
  if (const std::optional<Outcome<std::string>> value =
          TakeValue("--notify-below-minutes", argc, argv, index)) {
    if (!value->ok()) return value->problem();
    options.notifyBelowMinutes = ParseNotifyMinutes(value->value());
    if (!options.notifyBelowMinutes)
      return std::string("--notify-below-minutes needs ") + kNotifyMinutesForm;
    return std::nullopt;
  }
  if (const std::optional<Outcome<std::string>> value = TakeValue("--format", argc, argv, index)) {
    if (!value->ok()) return value->problem();
    Outcome<BarTextFormat> format = BarTextFormat::Parse(value->value());
    if (!format.ok()) return "--format: " + format.problem();
    options.barFormat = std::move(format.value());
    return std::nullopt;
  }
  for (const std::string_view name : kSimulationValueOptions) {
    const std::optional<Outcome<std::string>> value = TakeValue(name, argc, argv, index);
    if (!value) continue;
    if (!value->ok()) return value->problem();
    return ApplySimulationOption(name, value->value(), options.simulation);
  }
  return "unknown option " + std::string(arg);
}

// The options that do not go together; a full-speed run is a simulation, whatever its pace would
// have been.
std::optional<std::string> CombinationProblem(HostOptions& options) {
  if (options.simulation.printWarnings && !options.simulation.fullSpeed())
    return "--print-warnings needs --days or --trace";
  if (options.simulation.asleepAfterMinutes && !options.simulation.traceFile)
    return "--asleep-after needs --trace";
  if (options.simulation.days && options.simulation.traceFile)
    return "--days and --trace do not go together";
  if (options.simulation.fullSpeed() && !options.simulateSpeed)
    options.simulateSpeed = kDefaultSimulationSpeed;
  if (options.json && !options.bar) return "--json needs --bar";
  if (options.barFormat && !options.bar) return "--format needs --bar";
  if ((options.criticalAction || options.criticalBelow) && !options.bar && !options.service)
    return "--critical-action and --critical-below need --bar or --service";
  if (options.bar && (options.once || options.simulation.fullSpeed()))
    return "--bar does not go with --once, --days or --trace";
  if (options.service &&
      (options.bar || options.once || options.json || options.simulation.fullSpeed() ||
       options.command != ProgramCommand::HomeScreen)) {
    return "--service does not go with --bar, --once, --json, --days, --trace or a command";
  }
  return std::nullopt;
}

}  // namespace

Outcome<HostOptions> ParseOptions(int argc, const char* const* argv) {
  HostOptions options;
  for (int i = 1; i < argc; ++i) {
    if (std::optional<std::string> problem = TakeOption(argc, argv, i, options))
      return Problem{std::move(*problem)};
  }
  if (std::optional<std::string> problem = CombinationProblem(options))
    return Problem{std::move(*problem)};
  return options;
}

std::string UsageText() {
  return R"(Usage: zelvar-home [OPTION]...
The home screen with the battery plug-in: one line with the battery's charge, the hours on
battery and the estimated hours left.

  --once               print the plug-in's line once and exit (for status bars); also the
                       mode when standard input is not a terminal
  --bar                run as a status-bar line: one line on standard output each time the
                       text changes, until stopped (SIGTERM, SIGINT, SIGHUP, SIGUSR1,
                       SIGUSR2, SIGALRM) or the reader goes away; state and pending
                       statistics are saved on the way out
  --json               with --bar: each line a JSON object for a waybar custom module (text,
                       alt, tooltip with the battery report, class, percentage), written also
                       when only the class changed
  --format TEXT        with --bar: the text of each line, with placeholders: {line} the
                       plug-in's line (the default), {percent}, {hours} the hours to show
                       (1.4; {hours:hm} 1:24), {linear} the linear estimate, {statistics}
                       the statistics' hours left, {on_battery} the hours on battery,
                       {state} the battery's class; a figure not known reads "?"
                       (default: the Format attribute of <home> in the home-screen file)
  --service            run as the user's background service: keep the plug-in's files, learn
                       the statistics and warn of a low battery, with nothing on standard
                       output, until SIGTERM; tells systemd when it is ready
  --notify-below LIST  the charge levels, in percent, below which the desktop shows a
                       low-battery notification, once each per discharge, the lowest as
                       critical (default: the NotifyBelow attribute of <home> in the
                       home-screen file, else 20,10,5); sent by --service and --bar when they
                       keep the files
  --notify-below-minutes LIST
                       also a low-battery notification when the hours to show fall to or
                       below each of these levels, in minutes, once each per discharge, the
                       lowest as critical (default: the NotifyBelowMinutes attribute of <home>
                       in the home-screen file, else none)
  --critical-action ACTION
                       when the charge falls to the critical level on battery, warn with a
                       60 s countdown, then: hibernate, hybrid-sleep, suspend, poweroff (asked
                       of logind) or command:COMMAND (run through /bin/sh -c); plugging in
                       cancels it; once per discharge; taken only by the --bar or --service
                       that keeps the files (default: the CriticalAction attribute of <home>,
                       else none)
  --critical-below PERCENT
                       the critical level of --critical-action, from 1 to 100 (default: the
                       CriticalBelow attribute of <home>, else 3)
  --notify-full        also show a notification once per charge when the battery stops
                       charging: 'Charged to 80 % (the charge limit)' when its charge limit
                       holds it, else 'Fully charged'; withdrawn when unplugged; sent as the
                       low-battery ones (default: the NotifyFull="yes" attribute of <home>)
  --simulate[=SPEED]   a simulated battery, and a simulated clock that runs SPEED times faster
                       than real time (default 60: an hour a minute); see Simulation below
  --sysfs DIR          read the battery from this power_supply folder
                       (default /sys/class/power_supply); without a system battery there the
                       line shows the machine's reading (no battery, on mains) and standard
                       error says why; the terminal screen shows a labelled simulated demo
                       that writes no files; DIR must be a folder, the one that holds the
                       supplies' folders
  --device-root DIR    the folder that stands for the device's root "\", where the plug-in's
                       "\Storage\My Documents\ZelvarPlugin.dat" lives (default $ZELVAR_DEVICE_ROOT,
                       else $XDG_DATA_HOME/zelvar/device, else ~/.local/share/zelvar/device)
  --home FILE          the home-screen file (default $XDG_CONFIG_HOME/zelvar/home.xml, else
                       ~/.config/zelvar/home.xml); written with the defaults when missing
  --module FILE        register this module file as the plug-in's server before starting
                       (default: the module installed with this program, registered on a first
                       run and when the registered one no longer exists)
  --report             print the battery report (the plug-in's text) and exit
  --stats              show the stat file as a chart of the average drain for each hour of
                       the day, with its number of records, the history window and the day's
                       drain as one line of blocks (the bar's tooltip shows it too), and exit;
                       --stats --simulate shows the simulation's stat file
  --register           register the module (--module FILE, else the one installed with this
                       program) as the plug-in's server, and exit; a damaged registry file is
                       set aside as registry.bad and a fresh one written
  --unregister         remove that registration through the module, and exit
  -h, --help           show this help

)" + SimulationUsageText() +
         R"(
Keys: Left/Right refresh the line, Up/Down/Tab select it, Enter/Space show the battery report,
c switches the colour scheme, q quits.

Files: the plug-in's saved state is kept in $XDG_STATE_HOME/zelvar/plugin.stream (else
~/.local/state/zelvar/plugin.stream); the registry in $ZELVAR_REGISTRY (else
$XDG_STATE_HOME/zelvar/registry, else ~/.local/state/zelvar/registry). A saved state that cannot
be one is set aside as plugin.stream.bad. Without HOME, the home folder is the password
database's. A module file that another user could change is not loaded.

One host per home keeps the plug-in's files: the terminal screen, --bar, --service and --days
or --trace hold a lock on owner.lock beside the saved state. A second one runs as a viewer: it
says which process keeps the files, shows the line, and writes neither the stat file nor the
saved state until the keeper has ended: then it takes the files over. Beside a keeping --bar or
--service, a --bar or --service follows it instead of running the plug-in: it prints each line
the keeper publishes in $XDG_RUNTIME_DIR/zelvar, and the first to see the keeper end takes the
files over. --once, --report and --stats only read the files and take no lock.
)";
}
