// zelvar-home: the home screen with the battery plug-in, in a terminal or as a status-bar line.
// main decides the run and hands it to its front end.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <memory>
#include <utility>

#include "host/front/bar/line_run.h"
#include "host/front/commands/once_run.h"
#include "host/front/commands/registration_command.h"
#include "host/front/commands/report_command.h"
#include "host/front/commands/stats_command.h"
#include "host/front/simulation/full_speed_run.h"
#include "host/front/terminal/screen_run.h"
#include "host/hosting/activation/module_activation.h"
#include "host/hosting/activation/module_location.h"
#include "host/hosting/host_error.h"
#include "host/hosting/host_messages.h"
#include "host/program/host_run.h"
#include "host/program/host_services.h"
#include "host/program/chosen_bar_format.h"
#include "host/program/chosen_critical_action.h"
#include "host/program/chosen_notify_full.h"
#include "host/program/options.h"
#include "host/program/run_mode.h"
#include "host/program/standard_output.h"
#include "host/program/sysfs_folder_check.h"
#include "host/wait/power_events.h"
#include "host/wait/stop_signals.h"
#include "platform/files/user_folders.h"

namespace {

// Output of a command that prints and ends, sent at once so that a failure is known with its cause.
void Print(const std::string& text) {
  std::cout << text;
  CheckStandardOutput();
}

// The machine's battery shows a plug or an unplug at once where the kernel tells of them;
// elsewhere the line follows at the plug-in's next refresh, as it says once.
std::unique_ptr<PowerEvents> ListenForTheCharger(const HostOptions& options,
                                                 HostServices& services) {
  if (options.sysfsFolder || services.simulation() != nullptr || services.demo()) return nullptr;
  Outcome<std::unique_ptr<PowerEvents>> events = OpenKernelPowerEvents();
  if (!events.ok()) {
    Say(events.problem() + "; the line shows the charger at the plug-in's next refresh");
    return nullptr;
  }
  return std::move(events.value());
}

// The simulated span at full speed: the line each simulated hour and, asked for, each warning.
void RunFullSpeed(HostRun& run, const HostOptions& options) {
  Simulation& simulation = *run.services().simulation();
  const LineSink print = PrintHourlyLines(std::cout);
  LineSink warnings;
  if (options.simulation.printWarnings)
    warnings = PrintWarnings(std::cout, run.thresholds(), run.settings());
  RunAtFullSpeed(
      run.session(), simulation.clock(), *simulation.end(),
      [&print](ULONGLONG utc, const std::string& line) {
        print(utc, line);
        CheckStandardOutput();
      },
      simulation.asleep(), warnings, StopSignals::StopRequested);
}

// --register and --unregister: the module given, else the one installed with the program.
int RunRegistration(const HostOptions& options, RunKind kind) {
  if (kind == RunKind::Register) {
    if (const std::optional<std::string> setAside = SetAsideDamagedRegistry()) Say(*setAside);
  }
  const HostServices services(options, NoBatteryShows::MachineReading);
  Print(kind == RunKind::Register
            ? RunRegister(options.moduleFile.value_or(ModuleBesideProgram()))
            : RunUnregister(ModuleToUnregister(options.moduleFile, ModuleBesideProgram())));
  return 0;
}

// Every default file lies below the home folder: without one they would land in the current folder.
void RequireHomeFolder() {
  if (!HomeFolder().empty()) return;
  throw HostError(
      "cannot tell the home folder: HOME is not set and the password database has no entry for "
      "user " +
      std::to_string(getuid()) + "; set HOME");
}

// The status bar or the service, in the bar's format from the option, the home-screen file or the
// line itself.
void RunBarOrService(HostRun& run, const HostOptions& options, const LineOutput& output) {
  const std::unique_ptr<PowerEvents> events = ListenForTheCharger(options, run.services());
  Noted<BarTextFormat> format = ChosenBarFormat(options, run.files().homeScreen);
  if (format.note) Say(*format.note);
  Noted<std::optional<CriticalActionPlan>> critical =
      ChosenCriticalAction(options, run.files().homeScreen);
  if (critical.note) Say(*critical.note);
  const Noted<bool> notifyFull = ChosenNotifyFull(options, run.files().homeScreen);
  if (notifyFull.note) Say(*notifyFull.note);
  LineRun lines{output,
                run.keptSession(),
                run.TakeOverFiles(),
                *run.lock(),
                run.messages(),
                run.services().pacer(),
                events.get(),
                run.thresholds(),
                std::move(format.value),
                run.publishingNote(),
                std::move(critical.value),
                notifyFull.value};
  RunLines(lines);
}

// The terminal screen; a viewer takes the files over once their keeper let them go.
void RunTerminalScreen(HostRun& run, const HostOptions& options) {
  const std::unique_ptr<PowerEvents> events = ListenForTheCharger(options, run.services());
  std::optional<HomeLock>& lock = run.lock();
  ScreenRun screen{run.keptSession(),
                   run.TakeOverFiles(),
                   run.messages(),
                   run.services().pacer(),
                   events.get(),
                   run.services().powerDescription(),
                   {},
                   {}};
  if (lock && !lock->owned()) {
    screen.takeOverIfFree = [&lock] { return lock->TakeOverIfFree(); };
    screen.takeOverNotice = [&lock] { return lock->TakeOverNotice(); };
  }
  RunScreen(screen);
}

int Run(const HostOptions& options) {
  RequireHomeFolder();
  const RunMode mode = DecideRunMode(options, isatty(STDIN_FILENO) && isatty(STDOUT_FILENO));
  std::optional<StopSignals> signals;
  if (RunsUntilStopped(mode.kind)) {
    signals.emplace(mode.kind == RunKind::Screen ? StopSignals::Suspend::Caught
                                                 : StopSignals::Suspend::Default);
  }
  if (mode.kind == RunKind::Register || mode.kind == RunKind::Unregister)
    return RunRegistration(options, mode.kind);

  HostRun run(options, mode);
  switch (mode.kind) {
    case RunKind::Report:
      Print(RunReport(run.session(), run.messages()) + "\n");
      break;
    case RunKind::Stats:
      Print(RunStats(run.settings()));
      break;
    case RunKind::FullSpeed:
      RunFullSpeed(run, options);
      break;
    case RunKind::Lines:
      RunBarOrService(run, options, mode.lines);
      break;
    case RunKind::Once:
      // Without a terminal there is nobody to press keys: print the line instead.
      Print(RunOnce(run.session()) + "\n");
      break;
    case RunKind::Screen:
      RunTerminalScreen(run, options);
      break;
    case RunKind::Register:
    case RunKind::Unregister:
      break;
  }
  return run.Finish();
}

// A run whose output did not all go out fails, whatever else it did. The status bar is left out:
// its reader going away is how it is meant to end.
int StatusWithOutputChecked(const HostOptions& options, int status) {
  if (options.bar) return status;
  const std::optional<std::string> failure = StandardOutputFailure();
  if (!failure) return status;
  Say(*failure);
  return 1;
}

int RunReporting(const HostOptions& options) {
  if (options.help) {
    std::cout << UsageText();
    return 0;
  }
  try {
    return Run(options);
  } catch (const HostError& failure) {
    Say(failure.what());
  } catch (const std::exception& failure) {
    Say(std::string("unexpected failure: ") + failure.what());
  }
  return 1;
}

// What is wrong with the command line; nullopt when the run can start.
std::optional<std::string> CommandLineProblem(const Outcome<HostOptions>& options) {
  if (!options.ok()) return options.problem();
  if (options.value().help || !options.value().sysfsFolder) return std::nullopt;
  return SysfsFolderProblem(*options.value().sysfsFolder);
}

}  // namespace

int main(int argc, char** argv) {
  GuardStandardStreams();
  const Outcome<HostOptions> options = ParseOptions(argc, argv);
  if (const std::optional<std::string> problem = CommandLineProblem(options)) {
    Say(*problem + "\nTry 'zelvar-home --help'.");
    return 2;
  }
  return StatusWithOutputChecked(options.value(), RunReporting(options.value()));
}
