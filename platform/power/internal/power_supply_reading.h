// What one entry of the Linux power_supply class reports, read and parsed but not yet converted:
// numbers stay in the kernel's units (µV, µA, µW, µWh, µAh, tenths of °C). An absent value is one
// the supply does not report.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class SupplyType { Other, Battery, Mains, Usb };
// Unknown covers a supply without a scope attribute, as most laptop batteries and adapters are.
enum class SupplyScope { Unknown, System, Device };
enum class SupplyStatus { Unknown, Charging, Discharging, NotCharging, Full };
enum class BatteryTechnology {
  Unknown,
  LithiumIon,
  LithiumPolymer,
  NickelMetalHydride,
  NickelCadmium
};

struct PowerSupplyReading {
  // The folder's name: kept for ordering and diagnostics, never to choose a supply.
  std::string name;
  SupplyType type = SupplyType::Other;
  SupplyScope scope = SupplyScope::Unknown;
  SupplyStatus status = SupplyStatus::Unknown;
  BatteryTechnology technology = BatteryTechnology::Unknown;
  std::optional<int64_t> present;
  std::optional<int64_t> online;
  std::optional<int64_t> capacity;        // percent
  std::optional<int64_t> voltageNow;      // µV
  std::optional<int64_t> currentNow;      // µA; the sign differs between drivers
  std::optional<int64_t> currentAverage;  // µA
  std::optional<int64_t> powerNow;        // µW; the sign differs between drivers
  std::optional<int64_t> energyNow;       // µWh
  std::optional<int64_t> energyFull;      // µWh
  std::optional<int64_t> chargeNow;       // µAh
  std::optional<int64_t> chargeFull;      // µAh
  std::optional<int64_t> temperature;     // tenths of °C
  // The percent at which the firmware stops charging (its charge limit), where it has one.
  std::optional<int64_t> chargeEndThreshold;
};

// The kernel's words, matched without regard to case; anything else is the explicit unknown (or
// Other for the type). The USB_* types of older kernels count as USB.
SupplyType ParseSupplyType(std::string_view word);
SupplyScope ParseSupplyScope(std::string_view word);
SupplyStatus ParseSupplyStatus(std::string_view word);
BatteryTechnology ParseBatteryTechnology(std::string_view word);
