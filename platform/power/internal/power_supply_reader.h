// Reads the power_supply class (one folder per supply, one file per attribute) from a source.
#pragma once

#include <optional>
#include <vector>

#include "platform/power/internal/power_supply_reading.h"
#include "platform/power/internal/power_supply_source.h"

// Every supply of the source, ordered by name, each with only the attributes its folder holds
// read; absent when the source cannot list its supplies.
std::optional<std::vector<PowerSupplyReading>> ReadPowerSupplies(PowerSupplySource& source);
