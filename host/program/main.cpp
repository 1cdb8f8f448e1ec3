// zelvar-home: the home screen with the battery plug-in, in a terminal or as a status-bar line.
#include <unistd.h>

#include <exception>
#include <functional>
#include <memory>
#include <iostream>

#include "host/hosting/activation/class_id.h"
#include "host/front/bar/bar_follower.h"
#include "host/front/bar/bar_loop.h"
#include "host/front/bar/published_line.h"
#include "host/front/terminal/event_loop.h"
#include "host/hosting/host_messages.h"
#include "host/front/commands/registration_command.h"
#include "host/front/commands/report_command.h"
#include "host/front/commands/stats_command.h"
#include "platform/files/file_api.h"
#include "platform/files/user_folders.h"
#include "host/hosting/home_screen_file.h"
#include "host/program/home_lock.h"
#include "host/hosting/home_screen_session.h"
#include "host/program/stat_file_check.h"
#include "host/hosting/host_error.h"
#include "host/program/host_services.h"
#include "host/hosting/activation/module_activation.h"
#include "host/hosting/activation/module_location.h"
#include "host/front/commands/once_run.h"
#include "host/front/notify/systemd_library.h"
#include "host/program/low_battery_lines.h"
#include "host/program/options.h"
#include "host/program/run_mode.h"
#include "host/program/setting_warnings.h"
#include "host/hosting/stream_file.h"
#include "host/hosting/unknown_setting_notes.h"
#include "host/front/simulation/full_speed_run.h"
#include "host/program/standard_output.h"
#include "host/program/sysfs_folder_check.h"
#include "host/front/terminal/raw_terminal.h"
#include "host/wait/stop_signals.h"
#include "host/wait/poll_waiter.h"
#include "host/wait/power_events.h"

namespace {

ActivatedPlugin Activate() {
  try {
    return ActivatePlugin(kBatteryPluginClassId);
  } catch (const HostError& error) {
    throw HostError(std::string(error.what()) +
                    "; zelvar-home --module FILE registers another module file");
  }
}

// Who keeps the plug-in's files, when it holds the home's lock: the home screen on the terminal or
// in a status bar, the service, and a full-speed simulation. Every other run (--once, --report,
// --stats) only reads them and takes no lock, and so does the demo, whose made-up drops must not
// reach the real battery's statistics.
bool KeepsPluginFiles(RunMode mode, const HostServices& services) {
  return !services.demo() && (mode == RunMode::Screen || mode == RunMode::Bar ||
                              mode == RunMode::Service || mode == RunMode::FullSpeed);
}

// Whether the keeper publishes its line, as far as is known: one that has not written itself into
// the lock file yet is taken to, and the follower finds out once it has.
bool KeeperPublishes(const HomeLock& lock) {
  return lock.opened() && (!lock.holder() || lock.holder()->publishes);
}

// What a keeping run that finds another keeper does: a status bar and the service follow a keeper
// that publishes its line, anything else runs as a viewer.
std::string NoticeBeside(RunMode mode, const HomeLock& lock) {
  const bool follows = (mode == RunMode::Bar || mode == RunMode::Service) && KeeperPublishes(lock);
  return follows ? lock.FollowerNotice() : lock.ViewerNotice();
}

// Output of a command that prints and ends, sent at once so that a failure is known with its cause.
void Print(const std::string& text) {
  std::cout << text;
  CheckStandardOutput();
}

// Lines go out as whole lines, each at once; a reader that went away ends the run.
bool WriteBarLine(const std::string& line) {
  std::cout << line << '\n' << std::flush;
  return std::cout.good();
}

// A keeping run checks at start that it can write the stat file, and says why not; a simulation
// saves its time with every record the plug-in files.
void KeepFiles(HomeScreenSession& session, HostMessages& messages, Simulation* simulation) {
  if (simulation != nullptr) simulation->SaveBeforeEachRecord();
  const std::optional<SavedConfiguration> settings = session.settings();
  if (!settings) return;
  // A name outside the device root names no file: the plug-in says so itself.
  const std::optional<std::string> statFile = HostPathOf(settings->StatFilename.c_str());
  if (!statFile) return;
  std::optional<std::string> problem = StatFileProblem(*statFile);
  if (!problem) problem = StatFileReadProblem(*statFile);
  if (problem) messages.Note(*problem);
}

// A viewer whose keeper ended has taken the lock: its plug-in, which filed nothing, gives way to
// one started afresh from the keeper's saved state and stat file (which it writes only where the
// machine has a battery to learn).
void KeepFilesFromNow(std::optional<HomeScreenSession>& session, const SessionFiles& files,
                      const std::function<void(HomeScreenSession&)>& keepFiles, bool learns) {
  SetFileWritesAllowed(learns);
  session.reset();
  session.emplace(files, Activate());
  keepFiles(*session);
}

// The machine's battery shows a plug or an unplug at once where the kernel tells of them;
// elsewhere the line follows at the plug-in's next refresh, as it says once.
std::unique_ptr<PowerEvents> ListenForTheCharger(const HostOptions& options,
                                                 HostServices& services) {
  if (options.sysfsFolder || services.simulation() != nullptr || services.demo()) return nullptr;
  std::string whyNot;
  std::unique_ptr<PowerEvents> events = OpenKernelPowerEvents(whyNot);
  if (!events)
    std::cerr << "zelvar-home: " << whyNot
              << "; the line shows the charger at the plug-in's next refresh\n";
  return events;
}

// One message of the run's own on standard error.
void Say(const std::string& message) { std::cerr << "zelvar-home: " << message << "\n"; }

// The low-battery warnings of a keeping run, fed from each changed line.
BarLoop::FiguresObserver StartWarnings(std::optional<LowBatteryNotifications>& warnings,
                                       const NotifyThresholds& thresholds) {
  warnings.emplace(Say);
  warnings->Start();
  return WarningsFromLines(*warnings, thresholds);
}

BarFollower::Lock FollowedLock(HomeLock& lock) {
  return {
      lock.file(), [&lock] { return lock.TakeOverIfFree(); },
      [&lock]() -> std::optional<BarFollower::Keeper> {
        const std::optional<HomeLock::Holder>& holder = lock.ReadHolder();
        if (!holder) return std::nullopt;
        // A keeper of an older version did not say where: where this host would publish.
        return BarFollower::Keeper{holder->publishes, holder->lineFile.value_or(lock.LineFile())};
      }};
}

// Each changed line goes to standard output (a status bar, until its reader goes away), or nowhere
// (the service, which tells systemd it is ready once its first line is shown). The keeper publishes
// each line for the bars that follow it and warns of a low battery; beside a keeper that publishes,
// a run follows it until it can take the files over, beside another it runs as a viewer. Where
// the line cannot go to the runtime folder, the keeper says so (`publishingNote`).
void RunLines(std::optional<HomeScreenSession>& session, const SessionFiles& files, HomeLock& lock,
              HostMessages& messages, const std::function<void(HomeScreenSession&)>& keepFiles,
              ClockPacer& pacer, PowerEvents* events, const HostOptions& options, bool learns,
              const std::string& publishingNote) {
  PollWaiter waiter(pacer);
  if (!options.service) waiter.WatchOutput(STDOUT_FILENO);
  waiter.WatchPowerEvents(events);
  const BarFormat format = options.json ? BarFormat::Json : BarFormat::Text;
  const BarLoop::Output output =
      options.service ? BarLoop::Output([](const std::string&) { return true; }) : WriteBarLine;
  // The warnings' levels, whose lowest the bar's "critical" class follows.
  std::string thresholdsNote;
  const NotifyThresholds thresholds = ChosenThresholds(options, files.homeScreen, thresholdsNote);
  if (!thresholdsNote.empty()) Say(thresholdsNote);
  std::optional<LowBatteryNotifications> warnings;
  BarLoop::FiguresObserver warn;
  // systemd hears when the service is ready and when it stops.
  std::string noSystemd;
  const SystemdLibrary* systemd = options.service ? Systemd(noSystemd) : nullptr;
  if (options.service && systemd == nullptr)
    Say("cannot tell systemd the service's state: " + noSystemd);
  bool ready = false;
  const auto onLine = [&](const std::string&) {
    if (systemd != nullptr && !ready) ready = systemd->notify(0, "READY=1") >= 0;
  };
  // The keeper's end, whoever it was, wakes a viewer or follower with the lock its own.
  if (!lock.owned()) waiter.WatchReadable(WakeReason::LockFreed, lock.FreedFd());
  bool follows = !lock.owned() && KeeperPublishes(lock);
  for (;;) {
    BarEnd end;
    if (follows && !lock.owned()) {
      BarFollower follower(FollowedLock(lock), waiter, format, output, StopSignals::StopRequested,
                           Say);
      follower.OnLine(onLine);
      end = follower.Run();
      if (end == BarEnd::CannotFollow) {
        follows = false;
        Say(lock.ViewerNotice());
        continue;
      }
    } else {
      if (lock.owned() && !warnings) {
        warn = StartWarnings(warnings, thresholds);
        waiter.WatchConnection(WakeReason::SessionBus, &warnings->connection());
      }
      std::optional<LinePublisher> publisher;
      BarLoop loop(*session, waiter, format, output, StopSignals::StopRequested,
                   [&lock] { return lock.TakeOverIfFree(); });
      if (lock.owned()) {
        loop.PublishTo(publisher.emplace(lock.LineFile(), Say));
        if (!publishingNote.empty()) Say(publishingNote);
      }
      loop.SetCriticalLevel(CriticalLevel(thresholds));
      loop.OnLine(onLine);
      // The service belongs to the desktop session whose bus it reached: once that bus is gone it
      // ends, so that the next session's service takes the files over. A bar carries on.
      loop.OnSessionBus([&warnings, &options] { return warnings->Serve() || !options.service; });
      if (warn) loop.OnFigures(warn);
      end = loop.Run();
    }
    if (end == BarEnd::BusGone)
      Say("the session bus closed (the desktop session ended): saving and ending, so that the "
          "next session's service takes over");
    if (end != BarEnd::TookOver) break;
    waiter.WatchReadable(WakeReason::LockFreed, -1);
    KeepFilesFromNow(session, files, keepFiles, learns);
    messages.Note(lock.TakeOverNotice());
  }
  if (systemd != nullptr) systemd->notify(0, "STOPPING=1");
}

// Until the user quits; a viewer takes the files over when it can, its title no longer VIEWER.
void RunScreen(std::optional<HomeScreenSession>& session, const SessionFiles& files,
               std::optional<HomeLock>& lock, HostMessages& messages,
               const std::function<void(HomeScreenSession&)>& keepFiles, ClockPacer& pacer,
               PowerEvents* events, const std::string& powerDescription) {
  const RawTerminal terminal;
  if (!terminal.active())
    throw HostError("cannot switch the terminal to raw mode; --once prints the line instead");
  PollWaiter waiter(pacer);
  waiter.WatchPowerEvents(events);
  std::function<void()> onScreen = [&messages] { messages.Deliver(); };
  for (;;) {
    const std::string viewer =
        lock && !lock->owned() ? "  VIEWER: another process keeps the files" : "";
    EventLoop loop(*session, terminal, waiter, powerDescription + viewer);
    loop.OnScreen(onScreen);
    loop.OnWake([&lock] { return lock && lock->TakeOverIfFree(); });
    if (!loop.Run()) return;
    KeepFilesFromNow(session, files, keepFiles, true);
    // Shown once the screen is back, as one of its dialogs.
    onScreen = [&messages, &lock] { messages.Note(lock->TakeOverNotice()); };
  }
}

// The module given on the command line, else on a first run the one installed with the program.
void RegisterModule(const HostOptions& options) {
  if (options.moduleFile) {
    EnsureRegistered(kBatteryPluginClassId, *options.moduleFile, Registration::Always);
    return;
  }
  const std::filesystem::path module = ModuleBesideProgram();
  if (const auto gone = EnsureRegistered(kBatteryPluginClassId, module, Registration::IfMissing)) {
    std::cerr << "zelvar-home: the registered module " << gone->string()
              << " no longer exists; registered " << module.string() << " in its place\n";
  }
}

int Run(const HostOptions& options) {
  // Every default file lies below the home folder: without one they would land in the current
  // folder.
  if (HomeFolder().empty()) {
    throw HostError(
        "cannot tell the home folder: HOME is not set and the password database has no entry for "
        "user " +
        std::to_string(getuid()) + "; set HOME");
  }
  const RunMode mode = DecideRunMode(options, isatty(STDIN_FILENO) && isatty(STDOUT_FILENO));
  const bool screen = mode == RunMode::Screen;
  std::optional<StopSignals> signals;
  if (RunsUntilStopped(mode))
    signals.emplace(screen ? StopSignals::Suspend::Caught : StopSignals::Suspend::Default);
  if (mode == RunMode::Register) {
    if (const std::optional<std::string> setAside = SetAsideDamagedRegistry())
      std::cerr << "zelvar-home: " << *setAside << "\n";
  }
  HostServices services(options, screen ? NoBatteryShows::Demo : NoBatteryShows::MachineReading);
  if (mode == RunMode::Register) {
    Print(RunRegister(options.moduleFile.value_or(ModuleBesideProgram())));
    return 0;
  }
  if (mode == RunMode::Unregister) {
    Print(RunUnregister(ModuleToUnregister(options.moduleFile, ModuleBesideProgram())));
    return 0;
  }
  // The chart reads only the stat file: whether the machine has a battery is no concern of it.
  if (mode != RunMode::Stats && !services.batteryNotice().empty())
    std::cerr << "zelvar-home: " << services.batteryNotice() << "\n";

  Simulation* simulation = services.simulation();
  const SessionFiles files =
      simulation != nullptr
          ? simulation->sessionFiles()
          : SessionFiles{options.homeScreenFile.value_or(DefaultHomeScreenFile().string()),
                         DefaultStreamFile()};
  try {
    if (WriteDefaultHomeScreenFileIfMissing(files.homeScreen)) {
      std::cerr << "zelvar-home: wrote the default home-screen file " << files.homeScreen.string()
                << "\n";
    }
  } catch (const HostError& failure) {
    std::cerr << "zelvar-home: " << failure.what()
              << "; the plug-in runs with the default settings\n";
  }
  RegisterModule(options);
  if (!services.registryNotice().empty())
    std::cerr << "zelvar-home: " << services.registryNotice() << "\n";
  if (const std::optional<std::string> setAside = SetAsideDamagedStream(files.stream)) {
    std::cerr << "zelvar-home: " << *setAside << "\n";
  }
  const std::vector<XmlAttribute> pluginElement =
      ReadPluginElement(files.homeScreen, kBatteryPluginClassId);
  for (const std::string& note : NonNumericSettingNotes(files.homeScreen, pluginElement))
    std::cerr << "zelvar-home: " << note << "\n";
  for (const std::string& note :
       UnknownSettingNotes(files.homeScreen, pluginElement, ReadHomeAttributes(files.homeScreen)))
    std::cerr << "zelvar-home: " << note << "\n";

  HostMessages messages;
  messages.SetPowerSource(services.powerSource());
  // One keeper per home; a second keeping run is a viewer.
  std::optional<HomeLock> lock;
  std::string publishingNote;
  if (KeepsPluginFiles(mode, services)) {
    const std::filesystem::path lockFile = HomeLock::FileFor(files.stream);
    const bool publishes = mode == RunMode::Bar || mode == RunMode::Service;
    lock.emplace(lockFile,
                 publishes ? std::optional(PublishingFolder(lockFile.parent_path(), publishingNote))
                           : std::nullopt);
  }
  if (lock && !lock->owned()) std::cerr << "zelvar-home: " << NoticeBeside(mode, *lock) << "\n";
  const auto keepsFiles = [&lock] { return lock && lock->owned(); };
  // Without a battery there is nothing to learn: the plug-in writes no stat file.
  const bool learns = !services.noBattery();
  SetFileWritesAllowed(keepsFiles() && learns);
  std::optional<HomeScreenSession> keptSession;
  HomeScreenSession& session = keptSession.emplace(files, Activate());
  const std::optional<SavedConfiguration> settings = session.settings();
  if (!settings) throw HostError("the plug-in's saved state does not hold its settings");
  const std::optional<std::string> statFile = HostPathOf(settings->StatFilename.c_str());
  messages.SetStatFile(statFile.value_or(""));
  const auto keepFiles = [&messages, simulation](HomeScreenSession& kept) {
    KeepFiles(kept, messages, simulation);
  };
  if (keepsFiles() && learns) {
    keepFiles(session);
  } else if (const std::optional<std::string> problem =
                 statFile ? StatFileReadProblem(*statFile) : std::nullopt) {
    messages.Note(*problem);
  }
  for (const std::string& warning : SettingWarnings(*settings))
    std::cerr << "zelvar-home: " << warning << "\n";

  if (!screen) messages.Deliver();
  if (mode == RunMode::Report) {
    Print(RunReport(session, messages) + "\n");
  } else if (mode == RunMode::Stats) {
    Print(RunStats(*settings));
  } else if (mode == RunMode::FullSpeed) {
    const LineSink print = PrintHourlyLines(std::cout);
    LineSink warnings;
    if (options.simulation.printWarnings) {
      std::string note;
      const NotifyThresholds thresholds = ChosenThresholds(options, files.homeScreen, note);
      if (!note.empty()) Say(note);
      warnings = PrintWarnings(std::cout, thresholds, *settings);
    }
    RunAtFullSpeed(
        session, simulation->clock(), *simulation->end(),
        [&print](ULONGLONG utc, const std::string& line) {
          print(utc, line);
          CheckStandardOutput();
        },
        simulation->asleep(), warnings, StopSignals::StopRequested);
  } else if (mode == RunMode::Bar || mode == RunMode::Service) {
    RunLines(keptSession, files, *lock, messages, keepFiles, services.pacer(),
             ListenForTheCharger(options, services).get(), options, learns, publishingNote);
  } else if (mode == RunMode::Once) {
    // Without a terminal there is nobody to press keys: print the line instead.
    Print(RunOnce(session) + "\n");
  } else {
    RunScreen(keptSession, files, lock, messages, keepFiles, services.pacer(),
              ListenForTheCharger(options, services).get(), services.powerDescription());
  }
  if (!keepsFiles()) return 0;
  // After the terminal is back to normal, so that a failure to save shows.
  messages.Deliver();
  keptSession->Close();
  if (simulation != nullptr) simulation->Save();
  // Drops that did not reach the stat file are a failure of the run, whatever the screen showed.
  messages.RepeatWriteFailures();
  return messages.writeFailed() ? 1 : 0;
}

// A run whose output did not all go out fails, whatever else it did. The status bar is left out:
// its reader going away is how it is meant to end.
int StatusWithOutputChecked(const HostOptions& options, int status) {
  if (options.bar) return status;
  const std::optional<std::string> failure = StandardOutputFailure();
  if (!failure) return status;
  std::cerr << "zelvar-home: " << *failure << "\n";
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
    std::cerr << "zelvar-home: " << failure.what() << "\n";
  } catch (const std::exception& failure) {
    std::cerr << "zelvar-home: unexpected failure: " << failure.what() << "\n";
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  GuardStandardStreams();
  std::string error;
  const std::optional<HostOptions> options = ParseOptions(argc, argv, error);
  if (options && !options->help && options->sysfsFolder) {
    if (const std::optional<std::string> problem = SysfsFolderProblem(*options->sysfsFolder))
      error = *problem;
  }
  if (!options || !error.empty()) {
    std::cerr << "zelvar-home: " << error << "\nTry 'zelvar-home --help'.\n";
    return 2;
  }
  return StatusWithOutputChecked(*options, RunReporting(*options));
}
