#include "host/program/host_run.h"

#include <utility>

#include "host/front/bar/line_run.h"
#include "host/front/bar/published_line.h"
#include "host/hosting/activation/class_id.h"
#include "host/hosting/activation/module_activation.h"
#include "host/hosting/activation/module_location.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/host_error.h"
#include "host/hosting/stream_file.h"
#include "host/hosting/unknown_setting_notes.h"
#include "host/program/chosen_thresholds.h"
#include "host/program/setting_warnings.h"
#include "host/program/stat_file_check.h"
#include "platform/files/file_api.h"
#include "platform/files/user_folders.h"

namespace {

ActivatedPlugin Activate() {
  try {
    return ActivatePlugin(kBatteryPluginClassId);
  } catch (const HostError& error) {
    throw HostError(std::string(error.what()) +
                    "; zelvar-home --module FILE registers another module file");
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
    Say("the registered module " + gone->string() + " no longer exists; registered " +
        module.string() + " in its place");
  }
}

// The files the plug-in is hosted with, made ready: the home-screen file written with the defaults
// where it is missing, the module registered, a damaged saved state set aside, and what the
// home-screen file holds that the plug-in will not take as meant named.
SessionFiles PreparedFiles(const HostOptions& options, RunKind kind, HostServices& services) {
  // The chart reads only the stat file: whether the machine has a battery is no concern of it.
  if (kind != RunKind::Stats && services.batteryNotice()) Say(*services.batteryNotice());
  const Simulation* simulation = services.simulation();
  SessionFiles files =
      simulation != nullptr
          ? simulation->sessionFiles()
          : SessionFiles{options.homeScreenFile.value_or(DefaultHomeScreenFile().string()),
                         DefaultStreamFile()};
  try {
    if (WriteDefaultHomeScreenFileIfMissing(files.homeScreen))
      Say("wrote the default home-screen file " + files.homeScreen.string());
  } catch (const HostError& failure) {
    Say(std::string(failure.what()) + "; the plug-in runs with the default settings");
  }
  RegisterModule(options);
  if (services.registryNotice()) Say(*services.registryNotice());
  if (const std::optional<std::string> setAside = SetAsideDamagedStream(files.stream))
    Say(*setAside);
  const std::vector<XmlAttribute> pluginElement =
      ReadPluginElement(files.homeScreen, kBatteryPluginClassId);
  for (const std::string& note : NonNumericSettingNotes(files.homeScreen, pluginElement)) Say(note);
  for (const std::string& note :
       UnknownSettingNotes(files.homeScreen, pluginElement, ReadHomeAttributes(files.homeScreen)))
    Say(note);
  return files;
}

}  // namespace

HostRun::HostRun(const HostOptions& options, RunMode mode)
    : options_(options),
      mode_(mode),
      services_(options, mode.kind == RunKind::Screen ? NoBatteryShows::Demo
                                                      : NoBatteryShows::MachineReading),
      files_(PreparedFiles(options, mode.kind, services_)),
      learns_(!services_.noBattery()) {
  messages_.SetPowerSource(services_.powerSource());
  // One keeper per home; a second keeping run is a viewer. The demo keeps nothing: its made-up
  // drops must not reach the real battery's statistics.
  if (KeepsPluginFiles(mode.kind) && !services_.demo()) {
    const std::filesystem::path lockFile = HomeLock::FileFor(files_.stream);
    const bool publishes = mode.kind == RunKind::Lines;
    std::optional<std::filesystem::path> lineFolder;
    if (publishes) {
      Noted<std::filesystem::path> folder = PublishingFolder(lockFile.parent_path());
      lineFolder = std::move(folder.value);
      publishingNote_ = std::move(folder.note);
    }
    lock_.emplace(lockFile, lineFolder);
    if (!lock_->owned()) Say(NoticeBeside(publishes, *lock_));
  }
  SetFileWritesAllowed(KeepsFiles() && learns_);
  session_.emplace(files_, Activate());
  const std::optional<SavedConfiguration> settings = session_->settings();
  if (!settings) throw HostError("the plug-in's saved state does not hold its settings");
  settings_ = *settings;
  const std::optional<std::string> statFile = HostPathOf(settings_.StatFilename.c_str());
  messages_.SetStatFile(statFile.value_or(""));
  if (KeepsFiles() && learns_) {
    CheckFilesKept();
  } else if (const std::optional<std::string> problem =
                 statFile ? StatFileReadProblem(*statFile) : std::nullopt) {
    messages_.Note(*problem);
  }
  for (const std::string& warning : SettingWarnings(settings_)) Say(warning);
  // The terminal screen shows what is held as its first dialogs.
  if (mode.kind != RunKind::Screen) messages_.Deliver();
}

const WarningLevels& HostRun::thresholds() {
  if (!thresholds_) {
    Noted<NotifyThresholds> percents = ChosenThresholds(options_, files_.homeScreen);
    if (percents.note) Say(*percents.note);
    Noted<NotifyMinutes> minutes = ChosenMinutes(options_, files_.homeScreen);
    if (minutes.note) Say(*minutes.note);
    thresholds_ = WarningLevels{std::move(percents.value), std::move(minutes.value)};
  }
  return *thresholds_;
}

// A keeping run checks at start that it can write the stat file, and says why not; a simulation
// saves its time with every record the plug-in files.
void HostRun::CheckFilesKept() {
  if (Simulation* simulation = services_.simulation()) simulation->SaveBeforeEachRecord();
  const std::optional<SavedConfiguration> settings = session_->settings();
  if (!settings) return;
  // A name outside the device root names no file: the plug-in says so itself.
  const std::optional<std::string> statFile = HostPathOf(settings->StatFilename.c_str());
  if (!statFile) return;
  std::optional<std::string> problem = StatFileProblem(*statFile);
  if (!problem) problem = StatFileReadProblem(*statFile);
  if (problem) messages_.Note(*problem);
}

std::function<void()> HostRun::TakeOverFiles() {
  return [this] {
    // Its end flushes what it took, the keeper's hours as well: it goes before writes are allowed.
    session_.reset();
    SetFileWritesAllowed(learns_);
    session_.emplace(files_, Activate());
    CheckFilesKept();
  };
}

int HostRun::Finish() {
  if (!KeepsFiles()) return 0;
  // After the terminal is back to normal, so that a failure to save shows.
  messages_.Deliver();
  session_->Close();
  if (Simulation* simulation = services_.simulation()) simulation->Save();
  messages_.RepeatWriteFailures();
  return messages_.writeFailed() ? 1 : 0;
}
