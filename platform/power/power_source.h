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

// Where the batteries' charging ends, which the record does not tell either: on external power it
// says "not charging" of a battery held below full by its charge limit as of a full one.
struct ChargeEnd {
  // The percent at which the firmware stops charging (charge_control_end_threshold): nullopt
  // unless every battery has one, and when the highest is 100 (no limit).
  std::optional<int> limit;
  // Every battery says it is full.
  bool full = false;
  bool operator==(const ChargeEnd&) const = default;
};

class PowerSource {
 public:
  virtual ~PowerSource() = default;
  // Fills the record; false when the status cannot be read. With update false the source may
  // answer from a reading of the last second.
  virtual bool Read(SYSTEM_POWER_STATUS_EX2& status, bool update) = 0;
  // The batteries of the last successful reading and where their charging ends; nullopt where the
  // source does not tell.
  virtual std::optional<BatteryPack> LastPack() const { return std::nullopt; }
  virtual std::optional<ChargeEnd> LastChargeEnd() const { return std::nullopt; }
};

// Without an installed source the machine's power_supply class in sysfs answers.
PowerSource* InstallPowerSource(PowerSource* source);
using ScopedPowerSource = ScopedService<PowerSource, InstallPowerSource>;
// The installed source, or the sysfs source.
PowerSource& CurrentPowerSource();
