#include "host/front/simulation/simulation.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host/hosting/host_error.h"
#include "host/hosting/home_screen_file.h"
#include "platform/files/file_api.h"
#include "platform/time/calendar.h"
#include "platform/time/system_clock.h"

namespace {

constexpr double kFirstPercent = 80.0;

std::unique_ptr<SimulatedClock> ClockAt(ULONGLONG utc, int zoneMinutes) {
  const std::optional<SYSTEMTIME> broken = SystemTimeFromFileTime(utc);
  if (!broken) throw HostError("the simulated time lies beyond the last one a clock can show");
  auto clock = std::make_unique<SimulatedClock>(*broken, zoneMinutes);
  clock->SetUtcFileTime(utc);
  return clock;
}

std::filesystem::path MakeTemporaryFolder() {
  const std::filesystem::path temporary = std::filesystem::temp_directory_path();
  std::string pattern = (temporary / "zelvar-trace-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw HostError("cannot create a folder for the trace's replay in " + temporary.string() +
                    ": " + std::strerror(errno));
  }
  return pattern;
}

}  // namespace

Simulation::Simulation(const SimulationOptions& simulation, const FilesGiven& given)
    : folder_(DefaultSimulationFolder()) {
  if (simulation.traceFile) {
    trace_ = std::make_unique<TracePowerSource>(ReadTraceFile(*simulation.traceFile));
    temporaryFolder_ = MakeTemporaryFolder();
    folder_ = SimulationFolder{*temporaryFolder_};
    zoneMinutes_ = simulation.zoneMinutes.value_or(0);
    clock_ = ClockAt(trace_->begin(), zoneMinutes_);
    end_ = trace_->end();
    if (simulation.asleepAfterMinutes) {
      asleep_ =
          AsleepSpans(trace_->readings(), static_cast<ULONGLONG>(*simulation.asleepAfterMinutes) *
                                              kFileTimeUnitsPerMinute);
    }
  } else {
    SystemClock machine;
    const ULONGLONG realNow = machine.UtcNow();
    const std::optional<SimulationState> saved = ReadSimulationState(folder_.stateFile());
    const auto machineZone = static_cast<int>(machine.LocalOffsetAt(realNow) /
                                              static_cast<LONGLONG>(kFileTimeUnitsPerMinute));
    zoneMinutes_ = simulation.zoneMinutes.value_or(saved ? saved->zoneMinutes : machineZone);
    clock_ = ClockAt(saved ? saved->utc : realNow, zoneMinutes_);
    // Installed for the battery's construction, which starts its time at the clock's "now".
    const ScopedClock installed(*clock_);
    battery_ = std::make_unique<SimulatedBattery>(saved ? saved->percent : kFirstPercent,
                                                  simulation.drain);
    battery_->SetChargeRate(simulation.chargeRate);
    battery_->FollowHabit(simulation.habit);
    if (simulation.days)
      end_ = clock_->UtcNow() + static_cast<ULONGLONG>(*simulation.days) * kFileTimeUnitsPerDay;
  }
  files_ = SessionFiles{given.homeScreenFile.value_or(folder_.homeScreenFile().string()),
                        folder_.streamFile()};
  // A replay's own home-screen file is new every time: nothing to tell the user about.
  if (trace_) WriteDefaultHomeScreenFileIfMissing(files_.homeScreen);
  deviceRoot_ = given.deviceRoot.value_or(folder_.deviceRoot().string());
  deviceRootGiven_ = given.deviceRoot.has_value();
}

Simulation::~Simulation() {
  if (savesBeforeRecords_) SetFileChangeObserver({});
  if (writesUnsynced_) SetFileWritesSynced(true);
  if (!temporaryFolder_) return;
  std::error_code ignored;
  std::filesystem::remove_all(*temporaryFolder_, ignored);
}

PowerSource& Simulation::power() {
  if (trace_) return *trace_;
  return *battery_;
}

std::string Simulation::description() const {
  return trace_ ? "recorded trace" : "simulated battery";
}

void Simulation::Save(FileSync sync) {
  if (!battery_) return;
  const ScopedClock installed(*clock_);
  WriteSimulationState(folder_.stateFile(),
                       SimulationState{clock_->UtcNow(), zoneMinutes_, battery_->Percent()}, sync);
}

void Simulation::SaveBeforeEachRecord() {
  if (!deviceRootGiven_) {
    writesUnsynced_ = true;
    SetFileWritesSynced(false);
  }
  if (!battery_) return;
  savesBeforeRecords_ = true;
  SetFileChangeObserver([this](const std::string&) {
    // The changes of one sample or flush come at one simulated instant: it is saved once.
    const ULONGLONG now = clock_->UtcNow();
    if (savedAt_ == now) return;
    savedAt_ = now;
    // Not across the plug-in's call: a failure shows when the run's last save fails the same way.
    try {
      Save(FileSync::None);
    } catch (const HostError&) {
    }
  });
}
