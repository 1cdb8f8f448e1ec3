// Reads the Linux power_supply class folder (one sub-folder per supply, one file per attribute).
#pragma once

#include <filesystem>
#include <optional>
#include <vector>

#include "platform/power/internal/power_supply_reading.h"

// Every supply in the folder, ordered by name; absent when the folder cannot be listed (a machine
// without sysfs), which is not the same as an empty folder (a machine without any supply).
std::optional<std::vector<PowerSupplyReading>> ReadPowerSupplies(const std::filesystem::path& root);
PowerSupplyReading ReadPowerSupply(const std::filesystem::path& folder);
