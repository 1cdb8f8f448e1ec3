// The platform services the home screen installs for the plug-in, for its lifetime: the registry
// file, the device root, the power source and, when simulating, the clock.
//
// The power source is the machine (the power_supply class in sysfs), or with --simulate a simulated
// battery. A machine without a system battery is shown as it is (no battery, on mains), except on
// the terminal screen, which then shows a simulated battery as a demo, labelled so. A simulated
// clock starts at the real time and the machine's current local offset, and runs as the loop's
// ClockPacer moves it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/session/clock_pacer.h"
#include "host/options.h"
#include "platform/power/power_source_simulated.h"
#include "platform/power/power_source_sysfs.h"
#include "platform/registry/registry_store_file.h"
#include "platform/time/simulated_clock.h"

// What the host shows when the machine has no system battery and no simulation was asked for.
enum class NoBatteryShows { MachineReading, Demo };

class HostServices {
 public:
  // Throws HostError when the registry file cannot be read.
  HostServices(const HostOptions& options, NoBatteryShows noBattery);
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  // Says where the battery readings come from, for the title line.
  const std::string& powerDescription() const { return powerDescription_; }
  // Why the line does not show a system battery, for standard error; empty when it does or when
  // a simulation was asked for.
  const std::string& batteryNotice() const { return batteryNotice_; }
  ClockPacer& pacer() { return pacer_; }

 private:
  FileRegistryStore registry_;
  std::optional<ScopedRegistryStore> registryGuard_;
  std::unique_ptr<SimulatedClock> clock_;
  std::optional<ScopedClock> clockGuard_;
  std::unique_ptr<PowerSource> power_;
  std::optional<ScopedPowerSource> powerGuard_;
  ClockPacer pacer_;
  std::string powerDescription_;
  std::string batteryNotice_;
};
