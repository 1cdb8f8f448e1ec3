#include "platform/power/internal/power_supply_reading.h"

#include <algorithm>
#include <cctype>

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

SupplyType ParseSupplyType(std::string_view word) {
  if (EqualsIgnoringCase(word, "Battery")) return SupplyType::Battery;
  if (EqualsIgnoringCase(word, "Mains")) return SupplyType::Mains;
  if (EqualsIgnoringCase(word, "USB") || StartsWithIgnoringCase(word, "USB_"))
    return SupplyType::Usb;
  return SupplyType::Other;
}

SupplyScope ParseSupplyScope(std::string_view word) {
  if (EqualsIgnoringCase(word, "System")) return SupplyScope::System;
  if (EqualsIgnoringCase(word, "Device")) return SupplyScope::Device;
  return SupplyScope::Unknown;
}

SupplyStatus ParseSupplyStatus(std::string_view word) {
  if (EqualsIgnoringCase(word, "Charging")) return SupplyStatus::Charging;
  if (EqualsIgnoringCase(word, "Discharging")) return SupplyStatus::Discharging;
  if (EqualsIgnoringCase(word, "Not charging")) return SupplyStatus::NotCharging;
  if (EqualsIgnoringCase(word, "Full")) return SupplyStatus::Full;
  return SupplyStatus::Unknown;
}

BatteryTechnology ParseBatteryTechnology(std::string_view word) {
  if (EqualsIgnoringCase(word, "Li-ion")) return BatteryTechnology::LithiumIon;
  if (EqualsIgnoringCase(word, "Li-poly")) return BatteryTechnology::LithiumPolymer;
  if (EqualsIgnoringCase(word, "NiMH")) return BatteryTechnology::NickelMetalHydride;
  if (EqualsIgnoringCase(word, "NiCd")) return BatteryTechnology::NickelCadmium;
  return BatteryTechnology::Unknown;
}
