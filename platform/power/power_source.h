// The power source service behind GetSystemPowerStatusEx2.
#pragma once

#include "platform/power/power_api.h"
#include "platform/scoped_service.h"

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // Fills the record; false when the status cannot be read. With update false the source may
  // answer from a reading of the last second.
  virtual bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) = 0;
};

// Without an installed source the machine's power_supply class in sysfs answers.
PowerSource* InstallPowerSource(PowerSource* source);
using ScopedPowerSource = ScopedService<PowerSource, InstallPowerSource>;
// The installed source, or the sysfs source.
PowerSource& CurrentPowerSource();
