// The platform services the home screen installs for the plug-in, for its lifetime: the registry
// file, the device root, the power source and, when simulating, the clock.
//
// The power source is the machine's battery (the power_supply class in sysfs) when the machine
// reports one; otherwise, and with --simulate, a simulated battery. A simulated clock starts at the
// real time and the machine's current local offset, and runs as the loop's ClockPacer moves it.
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

class HostServices {
 public:
  // Throws HostError when the registry file cannot be read.
  explicit HostServices(const HostOptions& options);
  HostServices(const HostServices&) = delete;
  HostServices& operator=(const HostServices&) = delete;

  // Says where the battery readings come from, for the title line.
  const std::string& powerDescription() const { return powerDescription_; }
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
};
