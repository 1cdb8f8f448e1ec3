#include "host/program/host_services.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "host/hosting/host_error.h"
#include "host/hosting/damaged_file.h"
#include "platform/files/file_api.h"

namespace {

constexpr const char* kPowerSupplyFolder = "/sys/class/power_supply";

// Whether the machine reports a system battery through that source.
bool ReportsBattery(PowerSource& source) {
  SYSTEM_POWER_STATUS_EX2 status{};
  return source.Read(status, true) && status.BatteryFlag != BATTERY_FLAG_NO_BATTERY;
}

// Why the folder shows no system battery: it cannot be listed, or what it lists.
std::string NoBatteryReason(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::directory_iterator entries(folder, error);
  if (error) return "cannot read " + folder.string() + ": " + error.message();
  std::vector<std::string> names;
  for (const std::filesystem::directory_entry& entry : entries)
    names.push_back(entry.path().filename().string());
  if (names.empty()) return folder.string() + " lists no power supply";
  std::sort(names.begin(), names.end());
  std::string listed;
  for (const std::string& name : names) listed += (listed.empty() ? "" : ", ") + name;
  return folder.string() + " lists no system battery (only " + listed + ")";
}

std::string SpeedText(double speed) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", speed);
  return text;
}

}  // namespace

HostServices::HostServices(const HostOptions& options, NoBatteryShows noBattery)
    : registry_(DefaultRegistryFile()) {
  const bool registers =
      options.command == ProgramCommand::Register || options.command == ProgramCommand::Unregister;
  // A run goes on without a file it cannot read (runRegistry_ says why); a damaged one is for the
  // user to see to.
  if (const RegistryStoreResult loaded = registry_.Check(); !loaded.ok()) {
    if (loaded.status == ERROR_BADDB) {
      throw HostError(loaded.message + "; zelvar-home --register sets it aside as " +
                      SetAsideName(registry_.path()).string() + " and writes a fresh one");
    }
    if (registers) throw HostError(loaded.message);
  }
  registryGuard_.emplace(registers ? static_cast<RegistryStore&>(registry_) : runRegistry_);

  if (options.deviceRoot) SetDeviceRoot(*options.deviceRoot);

  if (options.simulateSpeed) {
    simulation_ = std::make_unique<Simulation>(
        options.simulation, FilesGiven{options.homeScreenFile, options.deviceRoot});
    SetDeviceRoot(simulation_->deviceRoot().string());
    clockGuard_.emplace(simulation_->clock());
    pacer_ = ClockPacer(simulation_->clock(), *options.simulateSpeed);
    powerGuard_.emplace(simulation_->power());
    powerDescription_ = simulation_->description() + ", time x" + SpeedText(*options.simulateSpeed);
    powerSource_ = "the " + simulation_->description();
  } else {
    const std::filesystem::path folder = options.sysfsFolder.value_or(kPowerSupplyFolder);
    auto machine = std::make_unique<SysfsPowerSource>(folder);
    powerSource_ = folder.string();
    if (ReportsBattery(*machine)) {
      power_ = std::move(machine);
      powerDescription_ = "battery";
    } else if (noBattery == NoBatteryShows::Demo) {
      demo_ = true;
      power_ = std::make_unique<SimulatedBattery>();
      powerDescription_ = "DEMO: simulated battery, the machine has none";
      powerSource_ = "the simulated battery";
      batteryNotice_ = "no system battery: " + NoBatteryReason(folder) +
                       "; the screen shows a simulated battery as a demo (--simulate asks for one)";
    } else {
      power_ = std::move(machine);
      powerDescription_ = "no battery";
      batteryNotice_ =
          "no system battery: " + NoBatteryReason(folder) +
          "; the line shows the machine's reading (--simulate for a simulated battery)";
    }
    powerGuard_.emplace(*power_);
  }
}
