// The power source service behind GetSystemPowerStatusEx2.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/power/power_api.h"
#include "platform/scoped_service.h"

// The batteries a reading summed into its record, which the record itself does not tell: how many,
// and their full capacity together (energy_full in µWh, else charge_full in µAh; 0 when not every
// battery reports it). A host tells a battery that appeared or was removed by them, rather than
// take the charge's step for drain.
struct BatteryPack {
  int batteries = 0;
  int64_t fullCapacity = 0;
  bool operator==(const BatteryPack&) const = default;
};

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // Fills the record; false when the status cannot be read. With update false the source may
  // answer from a reading of the last second.
  virtual bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) = 0;
  // The batteries of the last successful reading; nullopt where the source does not tell.
  virtual std::optional<BatteryPack> LastPack() const { return std::nullopt; }
};

// Without an installed source the machine's power_supply class in sysfs answers.
PowerSource* InstallPowerSource(PowerSource* source);
using ScopedPowerSource = ScopedService<PowerSource, InstallPowerSource>;
// The installed source, or the sysfs source.
PowerSource& CurrentPowerSource();
