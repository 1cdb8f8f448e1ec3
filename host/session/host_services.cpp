#include "host/session/host_services.h"

#include <cstdio>

#include "host/host_error.h"
#include "platform/files/file_api.h"
#include "platform/time/system_clock.h"

namespace {

constexpr LONGLONG kFileTimeUnitsPerMinute = 600'000'000;

std::unique_ptr<SimulatedClock> ClockAtRealTime() {
  SystemClock machine;
  const ULONGLONG now = machine.UtcNow();
  FILETIME fileTime{static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)};
  SYSTEMTIME utc{};
  FileTimeToSystemTime(&fileTime, &utc);
  const int offsetMinutes = static_cast<int>(machine.LocalOffsetAt(now) / kFileTimeUnitsPerMinute);
  auto clock = std::make_unique<SimulatedClock>(utc, offsetMinutes);
  clock->SetUtcFileTime(now);
  return clock;
}

// Whether the machine reports a system battery through that source.
bool ReportsBattery(PowerSource& source) {
  SYSTEM_POWER_STATUS_EX2 status{};
  return source.Read(status, true) && status.BatteryFlag != BATTERY_FLAG_NO_BATTERY;
}

std::string SpeedText(double speed) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", speed);
  return text;
}

}  // namespace

HostServices::HostServices(const HostOptions& options) : registry_(DefaultRegistryFile()) {
  RegistryTree tree;
  if (const RegistryStoreResult loaded = registry_.Load(tree); !loaded.ok()) throw HostError(loaded.message);
  registryGuard_.emplace(registry_);

  if (options.deviceRoot) SetDeviceRoot(*options.deviceRoot);

  if (options.simulateSpeed) {
    clock_ = ClockAtRealTime();
    clockGuard_.emplace(*clock_);
    pacer_ = ClockPacer(*clock_, *options.simulateSpeed);
    power_ = std::make_unique<SimulatedBattery>();
    powerDescription_ = "simulated battery, time x" + SpeedText(*options.simulateSpeed);
  } else {
    auto machine = std::make_unique<SysfsPowerSource>(options.sysfsFolder.value_or("/sys/class/power_supply"));
    if (ReportsBattery(*machine)) {
      power_ = std::move(machine);
      powerDescription_ = "battery";
    } else {
      power_ = std::make_unique<SimulatedBattery>();
      powerDescription_ = "no battery found: simulated battery";
    }
  }
  powerGuard_.emplace(*power_);
}
