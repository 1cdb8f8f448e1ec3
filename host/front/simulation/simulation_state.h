// Where a simulation keeps its files, apart from the real battery's: its home-screen file, the
// plug-in's saved stream, the device root with the stat file, and the simulation's own state (the
// simulated time, zone and charge) from which the next simulation goes on.
#pragma once

#include <filesystem>
#include <optional>

#include "host/hosting/whole_file.h"
#include "platform/win_types.h"

struct SimulationFolder {
  std::filesystem::path path;

  std::filesystem::path homeScreenFile() const { return path / "home.xml"; }
  std::filesystem::path streamFile() const { return path / "plugin.stream"; }
  std::filesystem::path deviceRoot() const { return path / "device"; }
  std::filesystem::path stateFile() const { return path / "simulation"; }
};

// "simulation" beside the plug-in's real saved stream: $XDG_STATE_HOME/zelvar/simulation, else
// ~/.local/state/zelvar/simulation.
SimulationFolder DefaultSimulationFolder();

struct SimulationState {
  ULONGLONG utc;    // the simulated time, file time
  int zoneMinutes;  // local time minus UTC
  double percent;   // the simulated battery's charge

  bool operator==(const SimulationState&) const = default;
};

// The saved state; nullopt when there is none. Throws HostError naming the file when it cannot be
// read or is not a simulation's state.
std::optional<SimulationState> ReadSimulationState(const std::filesystem::path& file);

// Replaces the file all or nothing (ReplaceFileWhole, synced as asked), creating its folder. Throws
// HostError naming the file.
void WriteSimulationState(const std::filesystem::path& file, const SimulationState& state,
                          FileSync sync = FileSync::ToDisk);
