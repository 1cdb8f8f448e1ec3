// Where the power_supply class comes from: the supplies, each with the attribute files it holds,
// and the bytes of one attribute. Sysfs in production (sysfs_supply_source.h); a fuzzing run keeps
// its supplies in memory.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The attributes the reader takes, by their file names; any other file of a supply is ignored.
enum class SupplyAttribute : uint8_t {
  Type,
  Scope,
  Status,
  Technology,
  Present,
  Online,
  Capacity,
  VoltageNow,
  CurrentNow,
  CurrentAverage,
  PowerNow,
  EnergyNow,
  EnergyFull,
  ChargeNow,
  ChargeFull,
  Temperature,
  ChargeEndThreshold,
};
inline constexpr std::string_view kSupplyAttributeFiles[] = {"type",
                                                             "scope",
                                                             "status",
                                                             "technology",
                                                             "present",
                                                             "online",
                                                             "capacity",
                                                             "voltage_now",
                                                             "current_now",
                                                             "current_avg",
                                                             "power_now",
                                                             "energy_now",
                                                             "energy_full",
                                                             "charge_now",
                                                             "charge_full",
                                                             "temp",
                                                             "charge_control_end_threshold"};
static_assert(std::size(kSupplyAttributeFiles) ==
              static_cast<size_t>(SupplyAttribute::ChargeEndThreshold) + 1);

// The attribute a file of that exact name holds, if the reader takes it.
std::optional<SupplyAttribute> SupplyAttributeOfFile(std::string_view file);

// A set of attributes, one bit each.
class SupplyAttributes {
 public:
  void Add(SupplyAttribute attribute) { bits_ |= Bit(attribute); }
  bool Has(SupplyAttribute attribute) const { return (bits_ & Bit(attribute)) != 0; }

 private:
  static uint32_t Bit(SupplyAttribute attribute) {
    return uint32_t{1} << static_cast<unsigned>(attribute);
  }
  uint32_t bits_ = 0;
};

struct SupplyListing {
  std::string name;  // the supply's folder
  SupplyAttributes attributes;
};

class PowerSupplySource {
 public:
  virtual ~PowerSupplySource() = default;
  // Every supply, in any order, with the attributes its folder holds; absent when the class
  // folder cannot be listed (a machine without sysfs), which differs from a machine without any
  // supply (an empty list).
  virtual std::optional<std::vector<SupplyListing>> ListSupplies() = 0;
  // The first bytes of the attribute's file, at most buffer.size(): how many; absent when the file
  // cannot be read.
  virtual std::optional<size_t> ReadAttribute(std::string_view supply, SupplyAttribute attribute,
                                              std::span<char> buffer) = 0;
};
