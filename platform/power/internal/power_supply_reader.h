// Reads the power_supply class (one folder per supply, one file per attribute) from a source.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <optional>
#include <vector>

#include "platform/power/internal/power_supply_reading.h"
#include "platform/power/internal/power_supply_source.h"

// Every supply of the source, ordered by name, each with only the attributes its folder holds
// read; absent when the source cannot list its supplies.
std::optional<std::vector<PowerSupplyReading>> ReadPowerSupplies(PowerSupplySource& source);
