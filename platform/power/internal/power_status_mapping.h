// Maps what the power_supply class reports onto the device's power status record.
#pragma once

#ifndef ZELVAR_POWER_INTERNALS
#error \
    "internal to the platform's power family: only platform_power and its tests (platform_power_internals) include it"
#endif

#include <span>

#include "platform/power/power_api.h"
#include "platform/power/power_source.h"
#include "platform/power/internal/power_supply_reading.h"

// Pure: the same readings give the same record. Supplies are chosen by type and scope, never by
// name: the system batteries (type Battery, scope not Device, not reported absent) count as one
// pack; the adapters are the Mains and USB supplies whose scope is not Device. A peripheral's
// battery or charger (scope Device) is ignored whatever it says.
//
// Readings that cannot be right count as unreported: a negative energy or charge, a capacity
// outside 0..100, a charge limit outside 1..100, a number beyond any battery's. The percent then
// comes from the other reading, else stays undetermined. Without an adapter that answers, a battery
// whose status is "Full" is on external power whatever its current (see PackStatusWithoutAdapter).
//
// What the machine does not report stays undetermined as the record defines it (255, 0xFFFFFFFF).
// Fields without such a value take 0 when unknown: BatteryVoltage, BatteryCurrent,
// BatteryAverageCurrent, BatteryTemperature (a battery below 0 °C also shows 0, the field being
// unsigned) and BatterymAHourConsumed, which is charge_full minus charge_now where the batteries
// count in charge. BatteryAverageInterval is 0: the kernel does not say over what time current_avg
// is taken. The backup battery is undetermined.
SYSTEM_POWER_STATUS_EX2 MapPowerStatus(std::span<const PowerSupplyReading> supplies);

// The system batteries MapPowerStatus sums, as a pack (see BatteryPack).
BatteryPack PackOf(std::span<const PowerSupplyReading> supplies);
// Where their charging ends (see ChargeEnd).
ChargeEnd ChargeEndOf(std::span<const PowerSupplyReading> supplies);
