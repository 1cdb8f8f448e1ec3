// Reads the power_supply class (one folder per supply, one file per attribute) from a source.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <optional>
#include <utility>
#include <vector>

#include "platform/power/internal/power_supply_reading.h"
#include "platform/power/internal/power_supply_source.h"

// The numeric attributes and the field of the reading each one fills: every number a reading holds.
using NumberField = std::optional<int64_t> PowerSupplyReading::*;
inline constexpr std::pair<SupplyAttribute, NumberField> kSupplyNumberFields[] = {
    {SupplyAttribute::Present, &PowerSupplyReading::present},
    {SupplyAttribute::Online, &PowerSupplyReading::online},
    {SupplyAttribute::Capacity, &PowerSupplyReading::capacity},
    {SupplyAttribute::VoltageNow, &PowerSupplyReading::voltageNow},
    {SupplyAttribute::CurrentNow, &PowerSupplyReading::currentNow},
    {SupplyAttribute::CurrentAverage, &PowerSupplyReading::currentAverage},
    {SupplyAttribute::PowerNow, &PowerSupplyReading::powerNow},
    {SupplyAttribute::EnergyNow, &PowerSupplyReading::energyNow},
    {SupplyAttribute::EnergyFull, &PowerSupplyReading::energyFull},
    {SupplyAttribute::ChargeNow, &PowerSupplyReading::chargeNow},
    {SupplyAttribute::ChargeFull, &PowerSupplyReading::chargeFull},
    {SupplyAttribute::Temperature, &PowerSupplyReading::temperature},
    {SupplyAttribute::ChargeEndThreshold, &PowerSupplyReading::chargeEndThreshold},
};

// Every supply of the source, ordered by name, each with only the attributes its folder holds
// read; absent when the source cannot list its supplies.
std::optional<std::vector<PowerSupplyReading>> ReadPowerSupplies(PowerSupplySource& source);
