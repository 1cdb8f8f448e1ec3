#include "platform/power/internal/power_status_mapping.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "platform/power/internal/power_supply_reader.h"
#include "platform/power/power_status_codes.h"

namespace {

using Supplies = std::vector<const PowerSupplyReading*>;
using Value = std::optional<int64_t>;

constexpr int64_t kMicroPerMilli = 1000;
constexpr int64_t kSecondsPerHour = 3600;
constexpr int64_t kLongestRunTime = BATTERY_LIFE_UNKNOWN - 1;
// No battery stores, carries or measures a million of anything in the kernel's units (1 MWh, 1 MA,
// 1 MV): a number beyond it is a broken driver's and counts as unreported.
constexpr int64_t kLargestPlausibleReading = 1'000'000'000'000;
// A battery that powers nothing still shows a few mA of measurement noise; a machine running on
// its battery draws far more.
constexpr int64_t kIdleCurrentMicroamps = 10'000;

int64_t Saturated(__int128 value) {
  return static_cast<int64_t>(std::clamp<__int128>(value, INT64_MIN, INT64_MAX));
}

Value Plausible(const Value& value) {
  if (value && (*value > kLargestPlausibleReading || *value < -kLargestPlausibleReading)) {
    return std::nullopt;
  }
  return value;
}

// A stored amount below zero or a percent outside 0..100 is a glitch, not a reading: it counts as
// unreported, so that the other reading stands in (or the figure stays undetermined) instead of a
// confident 0 % or 100 %.
Value WithinRange(const Value& value, int64_t lowest, int64_t highest) {
  return value && *value >= lowest && *value <= highest ? value : std::nullopt;
}

PowerSupplyReading WithoutImplausibleNumbers(PowerSupplyReading supply) {
  for (const auto& [attribute, field] : kSupplyNumberFields)
    supply.*field = Plausible(supply.*field);
  for (Value* amount :
       {&supply.energyNow, &supply.energyFull, &supply.chargeNow, &supply.chargeFull}) {
    *amount = WithinRange(*amount, 0, kLargestPlausibleReading);
  }
  supply.capacity = WithinRange(supply.capacity, 0, 100);
  supply.chargeEndThreshold = WithinRange(supply.chargeEndThreshold, 1, 100);
  return supply;
}

bool IsSystemBattery(const PowerSupplyReading& supply) {
  return supply.type == SupplyType::Battery && supply.scope != SupplyScope::Device &&
         supply.present.value_or(1) != 0;
}

bool IsAdapter(const PowerSupplyReading& supply) {
  return (supply.type == SupplyType::Mains || supply.type == SupplyType::Usb) &&
         supply.scope != SupplyScope::Device;
}

// Absent unless every battery reports the value: a pack figure that leaves a battery out is wrong.
template <typename Get>
Value SumOverAll(const Supplies& batteries, Get get) {
  int64_t sum = 0;
  for (const PowerSupplyReading* battery : batteries) {
    const Value value = get(*battery);
    if (!value) return std::nullopt;
    sum = Saturated(__int128{sum} + *value);
  }
  return sum;
}

// Absent when no battery reports the value. For flows (current, power), where an idle battery of
// a pack may report nothing.
template <typename Get>
Value SumOverReporting(const Supplies& batteries, Get get) {
  Value sum;
  for (const PowerSupplyReading* battery : batteries) {
    if (const Value value = get(*battery)) sum = Saturated(__int128{sum.value_or(0)} + *value);
  }
  return sum;
}

Value Magnitude(const Value& value) { return value ? Value(std::llabs(*value)) : std::nullopt; }

SupplyStatus PackStatus(const Supplies& batteries) {
  const auto any = [&batteries](SupplyStatus status) {
    return std::any_of(batteries.begin(), batteries.end(),
                       [status](const PowerSupplyReading* b) { return b->status == status; });
  };
  if (any(SupplyStatus::Charging)) return SupplyStatus::Charging;
  if (any(SupplyStatus::Discharging)) return SupplyStatus::Discharging;
  if (!batteries.empty() && std::all_of(batteries.begin(), batteries.end(),
                                        [](auto* b) { return b->status == SupplyStatus::Full; })) {
    return SupplyStatus::Full;
  }
  // A full battery beside an idle one: on external power, not charging.
  if (any(SupplyStatus::Full) || any(SupplyStatus::NotCharging)) return SupplyStatus::NotCharging;
  return SupplyStatus::Unknown;
}

// Whether an adapter is online; absent when none reports (some machines list none).
std::optional<bool> AdapterOnline(const Supplies& adapters) {
  std::optional<bool> online;
  for (const PowerSupplyReading* adapter : adapters) {
    if (!adapter->online) continue;
    // USB supplies answer 2 for an online programmable source.
    if (*adapter->online != 0) return true;
    online = false;
  }
  return online;
}

BYTE AcLineStatus(std::optional<bool> adapterOnline, bool hasBattery, SupplyStatus packStatus) {
  if (adapterOnline) return *adapterOnline ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
  // A machine without a battery runs on external power.
  if (!hasBattery) return AC_LINE_ONLINE;
  // Without an adapter to ask, the battery's status tells (see PackStatusWithoutAdapter).
  switch (packStatus) {
    case SupplyStatus::Charging:
    case SupplyStatus::Full:
    case SupplyStatus::NotCharging:
      return AC_LINE_ONLINE;
    case SupplyStatus::Discharging:
      return AC_LINE_OFFLINE;
    case SupplyStatus::Unknown:
      break;
  }
  return AC_LINE_UNKNOWN;
}

std::optional<int> PercentOf(const Value& now, const Value& full) {
  if (!now || !full || *full <= 0) return std::nullopt;
  const __int128 percent = (__int128{*now} * 100 + *full / 2) / *full;
  return static_cast<int>(std::clamp<__int128>(percent, 0, 100));
}

std::optional<int> PackPercent(const Supplies& batteries) {
  // The pack's percent comes from summed energies, which weigh each battery by its size.
  if (auto percent = PercentOf(SumOverAll(batteries, [](auto& b) { return b.energyNow; }),
                               SumOverAll(batteries, [](auto& b) { return b.energyFull; }))) {
    return percent;
  }
  // Batteries that count in charge (many ACPI drivers) report charge_* instead of energy_*.
  if (auto percent = PercentOf(SumOverAll(batteries, [](auto& b) { return b.chargeNow; }),
                               SumOverAll(batteries, [](auto& b) { return b.chargeFull; }))) {
    return percent;
  }
  // Some drivers give only their own percent; with several batteries the plain mean stands in.
  const Value capacities = SumOverAll(batteries, [](auto& b) { return b.capacity; });
  if (!capacities) return std::nullopt;
  const auto count = static_cast<int64_t>(batteries.size());
  return static_cast<int>(std::clamp<int64_t>((*capacities + count / 2) / count, 0, 100));
}

// µA in or out of one battery, without sign: drivers disagree on the sign of current_now.
Value CurrentMagnitude(const PowerSupplyReading& battery) {
  if (battery.currentNow) return Magnitude(battery.currentNow);
  // Batteries that count in energy often report power but no current: I = P / U.
  if (battery.powerNow && battery.voltageNow && *battery.voltageNow > 0) {
    return Saturated(__int128{std::llabs(*battery.powerNow)} * 1'000'000 / *battery.voltageNow);
  }
  return std::nullopt;
}

// "Full", "Not charging" and "Unknown" say the battery neither charges nor runs the machine. With
// no adapter to confirm it:
// - "Full" is believed whatever the current: a docked machine's battery may show a current while it
//   stays full, and a battery that truly runs the machine leaves "Full" within a point. Taken as
//   discharging, it would start an on-battery period on mains and file a zero drop every hour.
// - For "Not charging" and "Unknown" the current decides: current flowing out of (or into, drivers
//   disagree on the sign) a battery that claims to be idle is running the machine; no current
//   leaves the machine on external power (firmware that says "Unknown" when plugged in and full).
//   Without a current reading "Not charging" is believed and "Unknown" stays undetermined.
SupplyStatus PackStatusWithoutAdapter(const Supplies& batteries, SupplyStatus reported) {
  if (reported == SupplyStatus::Charging || reported == SupplyStatus::Discharging ||
      reported == SupplyStatus::Full) {
    return reported;
  }
  const Value current = SumOverReporting(batteries, CurrentMagnitude);
  if (!current) return reported;
  if (*current >= kIdleCurrentMicroamps) return SupplyStatus::Discharging;
  return reported == SupplyStatus::Unknown ? SupplyStatus::NotCharging : reported;
}

DWORD RunTimeSeconds(const Value& stored, int64_t flow) {
  if (!stored) return BATTERY_LIFE_UNKNOWN;
  return static_cast<DWORD>(
      std::clamp<__int128>(__int128{*stored} * kSecondsPerHour / flow, 0, kLongestRunTime));
}

// Remaining and full-charge run times, known only while discharging.
void FillRunTimes(const Supplies& batteries, SupplyStatus packStatus,
                  SYSTEM_POWER_STATUS_EX2& status) {
  if (packStatus != SupplyStatus::Discharging) return;
  const Value power = SumOverReporting(batteries, [](auto& b) { return Magnitude(b.powerNow); });
  const Value energyNow = SumOverAll(batteries, [](auto& b) { return b.energyNow; });
  if (energyNow && power.value_or(0) > 0) {
    status.BatteryLifeTime = RunTimeSeconds(energyNow, *power);
    status.BatteryFullLifeTime =
        RunTimeSeconds(SumOverAll(batteries, [](auto& b) { return b.energyFull; }), *power);
    return;
  }
  // Batteries that count in charge give hours as charge over current.
  const Value current = SumOverReporting(batteries, CurrentMagnitude);
  const Value chargeNow = SumOverAll(batteries, [](auto& b) { return b.chargeNow; });
  if (chargeNow && current.value_or(0) > 0) {
    status.BatteryLifeTime = RunTimeSeconds(chargeNow, *current);
    status.BatteryFullLifeTime =
        RunTimeSeconds(SumOverAll(batteries, [](auto& b) { return b.chargeFull; }), *current);
  }
}

// An unsigned field of the record: negative values show 0, larger ones its largest value.
DWORD DwordOf(int64_t value) {
  return static_cast<DWORD>(std::clamp<int64_t>(value, 0, UINT32_MAX));
}

// µA to the record's signed mA, held within its 32 bits.
LONG MilliampsOf(int64_t sign, const Value& microamps) {
  return static_cast<LONG>(
      std::clamp<int64_t>(sign * microamps.value_or(0) / kMicroPerMilli, INT32_MIN, INT32_MAX));
}

void FillMeasurements(const Supplies& batteries, SupplyStatus packStatus,
                      SYSTEM_POWER_STATUS_EX2& status) {
  // Out of the battery while discharging, into it (or nothing) otherwise.
  const int64_t sign = packStatus == SupplyStatus::Discharging ? -1 : 1;
  const Value current = SumOverReporting(batteries, CurrentMagnitude);
  status.BatteryCurrent = MilliampsOf(sign, current);
  const Value average =
      SumOverReporting(batteries, [](auto& b) { return Magnitude(b.currentAverage); });
  status.BatteryAverageCurrent = static_cast<DWORD>(MilliampsOf(sign, average));

  int64_t voltageSum = 0;
  int64_t voltageCount = 0;
  for (const PowerSupplyReading* battery : batteries) {
    if (battery->voltageNow) {
      voltageSum = Saturated(__int128{voltageSum} + *battery->voltageNow);
      ++voltageCount;
    }
  }
  if (voltageCount > 0) {
    status.BatteryVoltage = DwordOf(voltageSum / voltageCount / kMicroPerMilli);
  }

  // The hottest battery is the one that matters.
  int64_t temperature = 0;
  for (const PowerSupplyReading* battery : batteries) {
    temperature = std::max(temperature, battery->temperature.value_or(0));
  }
  status.BatteryTemperature = DwordOf(temperature);

  const Value chargeFull = SumOverAll(batteries, [](auto& b) { return b.chargeFull; });
  const Value chargeNow = SumOverAll(batteries, [](auto& b) { return b.chargeNow; });
  if (chargeFull && chargeNow) {
    status.BatterymAHourConsumed =
        DwordOf(Saturated(__int128{*chargeFull} - *chargeNow) / kMicroPerMilli);
  }
}

BYTE ChemistryCode(const Supplies& batteries) {
  for (const PowerSupplyReading* battery : batteries) {
    switch (battery->technology) {
      case BatteryTechnology::LithiumIon:
        return BATTERY_CHEMISTRY_LION;
      case BatteryTechnology::LithiumPolymer:
        return BATTERY_CHEMISTRY_LIPOLY;
      case BatteryTechnology::NickelMetalHydride:
        return BATTERY_CHEMISTRY_NIMH;
      case BatteryTechnology::NickelCadmium:
        return BATTERY_CHEMISTRY_NICD;
      case BatteryTechnology::Unknown:
        break;
    }
  }
  return BATTERY_CHEMISTRY_UNKNOWN;
}

std::vector<PowerSupplyReading> Plausible(std::span<const PowerSupplyReading> supplies) {
  std::vector<PowerSupplyReading> plausible;
  plausible.reserve(supplies.size());
  for (const PowerSupplyReading& supply : supplies) {
    plausible.push_back(WithoutImplausibleNumbers(supply));
  }
  return plausible;
}

Supplies SystemBatteries(const std::vector<PowerSupplyReading>& plausible) {
  Supplies batteries;
  for (const PowerSupplyReading& supply : plausible) {
    if (IsSystemBattery(supply)) batteries.push_back(&supply);
  }
  return batteries;
}

// The pack cannot be held above its batteries' highest limit; a battery without one charges the
// pack to full.
std::optional<int> PackChargeLimit(const Supplies& batteries) {
  int64_t highest = 0;
  for (const PowerSupplyReading* battery : batteries) {
    if (!battery->chargeEndThreshold) return std::nullopt;
    highest = std::max(highest, *battery->chargeEndThreshold);
  }
  // A limit of 100 is none.
  if (batteries.empty() || highest == 100) return std::nullopt;
  return static_cast<int>(highest);
}

}  // namespace

BatteryPack PackOf(std::span<const PowerSupplyReading> supplies) {
  const std::vector<PowerSupplyReading> plausible = Plausible(supplies);
  const Supplies batteries = SystemBatteries(plausible);
  Value full = SumOverAll(batteries, [](auto& b) { return b.energyFull; });
  if (!full) full = SumOverAll(batteries, [](auto& b) { return b.chargeFull; });
  return BatteryPack{static_cast<int>(batteries.size()), full.value_or(0)};
}

ChargeEnd ChargeEndOf(std::span<const PowerSupplyReading> supplies) {
  const std::vector<PowerSupplyReading> plausible = Plausible(supplies);
  const Supplies batteries = SystemBatteries(plausible);
  return ChargeEnd{PackChargeLimit(batteries), PackStatus(batteries) == SupplyStatus::Full};
}

SYSTEM_POWER_STATUS_EX2 MapPowerStatus(std::span<const PowerSupplyReading> supplies) {
  const std::vector<PowerSupplyReading> plausible = Plausible(supplies);
  const Supplies batteries = SystemBatteries(plausible);
  Supplies adapters;
  for (const PowerSupplyReading& supply : plausible) {
    if (IsAdapter(supply)) adapters.push_back(&supply);
  }
  const std::optional<bool> adapterOnline = AdapterOnline(adapters);
  const SupplyStatus reported = PackStatus(batteries);
  const SupplyStatus packStatus =
      adapterOnline ? reported : PackStatusWithoutAdapter(batteries, reported);
  SYSTEM_POWER_STATUS_EX2 status = UndeterminedPowerStatus();
  status.ACLineStatus = AcLineStatus(adapterOnline, !batteries.empty(), packStatus);
  if (batteries.empty()) {
    status.BatteryFlag = BATTERY_FLAG_NO_BATTERY;
    return status;
  }
  const std::optional<int> percent = PackPercent(batteries);
  const bool charging = packStatus == SupplyStatus::Charging;
  if (percent) status.BatteryLifePercent = static_cast<BYTE>(*percent);
  if (charging || percent) status.BatteryFlag = BatteryFlagFor(percent.value_or(0), charging);
  FillRunTimes(batteries, packStatus, status);
  FillMeasurements(batteries, packStatus, status);
  status.BatteryChemistry = ChemistryCode(batteries);
  return status;
}
