#include "host/front/simulation/simulation_state.h"

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "host/hosting/host_error.h"
#include "host/hosting/stream_file.h"
#include "platform/files/regular_file.h"
#include "platform/time/calendar.h"

namespace {

constexpr const char* kFirstLine = "zelvar simulation 1";
// Three short lines.
constexpr size_t kLargestStateFile = 4 * kKibibyte;

}  // namespace

SimulationFolder DefaultSimulationFolder() {
  return {DefaultStreamFile().parent_path() / "simulation"};
}

std::optional<SimulationState> ReadSimulationState(const std::filesystem::path& file) {
  const FileRead stored = ReadRegularFile(file, kLargestStateFile);
  if (stored.outcome == FileRead::Outcome::kMissing) return std::nullopt;
  if (stored.outcome == FileRead::Outcome::kFailed) {
    throw HostError("cannot read the simulation's state " + file.string() + ": " + stored.cause);
  }
  std::istringstream in(stored.text);
  std::string first;
  std::string utcKey, zoneKey, percentKey;
  SimulationState state{};
  const bool read =
      std::getline(in, first) && first == kFirstLine &&
      in >> utcKey >> state.utc >> zoneKey >> state.zoneMinutes >> percentKey >> state.percent;
  if (!read || utcKey != "utc" || zoneKey != "zone-minutes" || percentKey != "percent" ||
      state.utc > kLatestFileTime || std::abs(state.zoneMinutes) > 14 * 60 ||
      !(state.percent >= 0.0) || state.percent > 100.0) {
    throw HostError("the simulation's state " + file.string() +
                    " is damaged; remove it to start the simulation afresh");
  }
  return state;
}

void WriteSimulationState(const std::filesystem::path& file, const SimulationState& state,
                          FileSync sync) {
  std::ostringstream text;
  text.precision(17);
  text << kFirstLine << "\nutc " << state.utc << "\nzone-minutes " << state.zoneMinutes
       << "\npercent " << state.percent << "\n";
  ReplaceFileWhole(file, text.str(), "the simulation's state", sync);
}
