// A run of the home screen from its start to its end, whatever its front end: the services
// installed for the plug-in, its files, the module's registration, the home's lock and the plug-in
// itself, each step's notes on standard error; at the end, what a keeper of the files saves.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/estimate/notify_thresholds.h"
#include "host/front/bar/home_lock.h"
#include "host/hosting/home_screen_session.h"
#include "host/hosting/host_messages.h"
#include "host/program/host_services.h"
#include "host/program/options.h"
#include "host/program/run_mode.h"
#include "plugin_host/saved_configuration.h"

class HostRun {
 public:
  // Throws HostError where the run cannot start: no module to activate, a plug-in without its
  // settings, a symbolic link in the lock's place.
  HostRun(const HostOptions& options, RunMode mode);
  HostRun(const HostRun&) = delete;
  HostRun& operator=(const HostRun&) = delete;

  HomeScreenSession& session() { return *session_; }
  // The session itself, for the runs that start it again when they take the files over.
  std::optional<HomeScreenSession>& keptSession() { return session_; }
  const SavedConfiguration& settings() const { return settings_; }
  const SessionFiles& files() const { return files_; }
  HostServices& services() { return services_; }
  HostMessages& messages() { return messages_; }
  // Held by the runs that keep the files, or would: nullopt for the others and the demo.
  std::optional<HomeLock>& lock() { return lock_; }
  // Said by a keeper that cannot publish its line in the runtime folder.
  const std::optional<std::string>& publishingNote() const { return publishingNote_; }
  // The low-battery warnings' levels, chosen once.
  const WarningLevels& thresholds();

  // For a viewer whose keeper ended and which took the lock: its plug-in, which filed nothing,
  // gives way to one started afresh from the keeper's saved state and stat file.
  std::function<void()> TakeOverFiles();

  // Saves what a keeper keeps and tells the run's status: 1 where drops did not reach the stat
  // file, whatever the screen showed.
  int Finish();

 private:
  bool KeepsFiles() const { return lock_ && lock_->owned(); }
  void CheckFilesKept();

  const HostOptions& options_;
  RunMode mode_;
  HostServices services_;
  SessionFiles files_;
  HostMessages messages_;
  std::optional<HomeLock> lock_;
  std::optional<std::string> publishingNote_;
  // Without a battery there is nothing to learn: the plug-in writes no stat file.
  bool learns_;
  std::optional<HomeScreenSession> session_;
  SavedConfiguration settings_;
  std::optional<WarningLevels> thresholds_;
};
