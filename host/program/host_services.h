// The platform services the home screen installs for the plug-in, for its lifetime: the registry
// file, the device root, the power source and, when simulating, the clock.
//
// The power source is the machine (the power_supply class in sysfs), or with --simulate a simulated
// battery. A machine without a system battery is shown as it is (no battery, on mains), except on
// the terminal screen, which then shows a simulated battery as a demo, labelled so. With --simulate
// the simulation's clock, battery and device root (host/simulation) are installed, and the clock
// runs as the loop's ClockPacer moves it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/wait/clock_pacer.h"
#include "host/program/options.h"
#include "host/front/simulation/simulation.h"
#include "platform/power/power_source_simulated.h"
#include "platform/power/power_source_sysfs.h"
#include "host/program/run_registry_store.h"
#include "platform/registry/registry_store_file.h"

// What the host shows when the machine has no system battery and no simulation was asked for.
enum class NoBatteryShows { MachineReading, Demo };

class HostServices {
 public:
  // Throws HostError when the registry file is damaged. Registrations are kept in memory where the
  // file cannot be read or written, except for --register and --unregister, which fail then.
  HostServices(const HostOptions& options, NoBatteryShows noBattery);
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  // Says where the battery readings come from, for the title line.
  const std::string& powerDescription() const { return powerDescription_; }
  // Where the power status is read: the power_supply folder, or the simulated battery.
  const std::string& powerSource() const { return powerSource_; }
  // Why the line does not show a system battery, for standard error; nullopt when it does or when
  // a simulation was asked for.
  const std::optional<std::string>& batteryNotice() const { return batteryNotice_; }
  // Why registrations hold for this run only, for standard error; nullopt while the file takes
  // them.
  const std::optional<std::string>& registryNotice() const { return runRegistry_.unsavedNotice(); }
  // Whether the line shows the demo's simulated battery on the real battery's files.
  bool demo() const { return demo_; }
  // Whether the line shows the machine's reading without a system battery.
  bool noBattery() const { return batteryNotice_ && !demo_; }
  ClockPacer& pacer() { return pacer_; }
  // The simulation run, or nullptr on the machine's own clock.
  Simulation* simulation() { return simulation_.get(); }

 private:
  FileRegistryStore registry_;
  RunRegistryStore runRegistry_{registry_};
  std::optional<ScopedRegistryStore> registryGuard_;
  std::unique_ptr<Simulation> simulation_;
  std::optional<ScopedClock> clockGuard_;
  std::unique_ptr<PowerSource> power_;
  std::optional<ScopedPowerSource> powerGuard_;
  ClockPacer pacer_;
  std::string powerDescription_;
  std::optional<std::string> batteryNotice_;
  bool demo_ = false;
  std::string powerSource_;
};
