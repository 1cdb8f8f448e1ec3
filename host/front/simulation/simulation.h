// The world of a simulation run: a simulated clock, a simulated battery that follows a day (or a
// recorded trace), and the files the run keeps apart from the real battery's.
//
// A simulation goes on from the saved simulated time, zone and charge of the last one, so the
// statistics it filed come back; the first starts at the real time in the machine's zone (or
// --zone) at 80 %. A trace replay starts at the trace's first reading with no statistics, in a
// temporary folder that is removed with it, and keeps nothing.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "host/hosting/home_screen_session.h"
#include "host/front/simulation/simulation_options.h"
#include "host/front/simulation/simulation_state.h"
#include "host/front/simulation/trace_power_source.h"
#include "host/front/simulation/trace_sleep.h"
#include "platform/power/power_source_simulated.h"
#include "platform/time/simulated_clock.h"

// The files given on the command line (--home, --device-root) in place of the simulation's own.
struct FilesGiven {
  std::optional<std::string> homeScreenFile;
  std::optional<std::string> deviceRoot;
};

class Simulation {
 public:
  // Reads the saved state or the trace. Throws HostError.
  Simulation(const SimulationOptions& options, const FilesGiven& given);
  ~Simulation();
  Simulation(const Simulation&) = delete;
  Simulation& operator=(const Simulation&) = delete;

  SimulatedClock& clock() { return *clock_; }
  PowerSource& power();
  // The trace being replayed, or nullptr.
  TracePowerSource* trace() { return trace_.get(); }

  const SessionFiles& sessionFiles() const { return files_; }
  const std::filesystem::path& deviceRoot() const { return deviceRoot_; }
  // Where a full-speed run stops: the trace's last reading, or the days after the start; nullopt
  // when the run goes at a pace until the user quits.
  std::optional<ULONGLONG> end() const { return end_; }
  // Where the trace says the machine slept (--asleep-after); empty otherwise.
  const std::vector<AsleepSpan>& asleep() const { return asleep_; }
  // For the title line: what the battery follows.
  std::string description() const;

  // Keeps the simulated time, zone and charge for the next simulation; a replay keeps nothing.
  // Throws HostError.
  void Save(FileSync sync = FileSync::ToDisk);
  // From now on, for a run that keeps the files: saves just before the plug-in changes a file (it
  // keeps each hourly drop beside the stat file, then files the drops there), so that a killed
  // simulation goes on after the last hour it kept instead of taking its hours again (a kill while
  // a drop is kept loses that drop, never doubles it).
  // These saves, and the plug-in's writes when its device root is the simulation's own, are not
  // synced to disk: they only stand for a device's files, and a year would otherwise wait for
  // thousands of syncs. A kill or a crash loses nothing by it; the run's last save is synced.
  void SaveBeforeEachRecord();

 private:
  std::unique_ptr<SimulatedClock> clock_;
  std::unique_ptr<SimulatedBattery> battery_;
  std::unique_ptr<TracePowerSource> trace_;
  SimulationFolder folder_;
  // A replay's folder, removed at the end.
  std::optional<std::filesystem::path> temporaryFolder_;
  SessionFiles files_;
  std::filesystem::path deviceRoot_;
  int zoneMinutes_ = 0;
  std::optional<ULONGLONG> end_;
  std::vector<AsleepSpan> asleep_;
  bool savesBeforeRecords_ = false;
  std::optional<ULONGLONG> savedAt_;  // the simulated time last saved before a file change
  bool deviceRootGiven_ = false;
  bool writesUnsynced_ = false;
};
