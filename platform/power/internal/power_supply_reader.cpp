#include "platform/power/internal/power_supply_reader.h"

#include <algorithm>
#include <system_error>

#include "platform/power/internal/sysfs_attribute.h"

std::optional<std::vector<PowerSupplyReading>> ReadPowerSupplies(
    const std::filesystem::path& root) {
  std::error_code error;
  std::filesystem::directory_iterator entries(root, error);
  if (error) return std::nullopt;
  std::vector<PowerSupplyReading> supplies;
  for (const std::filesystem::directory_entry& entry : entries) {
    // The class folder holds symbolic links to the devices' folders; is_directory follows them.
    if (entry.is_directory(error)) supplies.push_back(ReadPowerSupply(entry.path()));
  }
  std::sort(
      supplies.begin(), supplies.end(),
      [](const PowerSupplyReading& a, const PowerSupplyReading& b) { return a.name < b.name; });
  return supplies;
}

PowerSupplyReading ReadPowerSupply(const std::filesystem::path& folder) {
  const auto word = [&folder](std::string_view name) {
    return ReadSysfsAttribute(folder, name).value_or("");
  };
  const auto number = [&folder](std::string_view name) { return ReadSysfsInteger(folder, name); };
  PowerSupplyReading supply;
  supply.name = folder.filename().string();
  supply.type = ParseSupplyType(word("type"));
  supply.scope = ParseSupplyScope(word("scope"));
  supply.status = ParseSupplyStatus(word("status"));
  supply.technology = ParseBatteryTechnology(word("technology"));
  supply.present = number("present");
  supply.online = number("online");
  supply.capacity = number("capacity");
  supply.voltageNow = number("voltage_now");
  supply.currentNow = number("current_now");
  supply.currentAverage = number("current_avg");
  supply.powerNow = number("power_now");
  supply.energyNow = number("energy_now");
  supply.energyFull = number("energy_full");
  supply.chargeNow = number("charge_now");
  supply.chargeFull = number("charge_full");
  supply.temperature = number("temp");
  return supply;
}
