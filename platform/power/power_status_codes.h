// The codes of the power status record that every power source fills the same way.
#pragma once

#include "platform/power/power_api.h"

// A record with every field undetermined, for a source to fill with what it knows: codes 255,
// times and percents at their "unknown" values, the backup battery unknown (the machines this runs
// on report none), and the measurements that have no "unknown" value (voltages, currents, interval,
// charge consumed, temperature) at 0.
SYSTEM_POWER_STATUS_EX2 UndeterminedPowerStatus();

// BatteryFlag for a battery at percent (0..100), always one of the record's codes:
// BATTERY_FLAG_CHARGING alone while charging, else critical below 5, low below 33 and high from 33
// on. The record knows no code between low and high (its 0 is no code at all and would read as
// "Unknown"), so a battery that is not low is high.
BYTE BatteryFlagFor(int percent, bool charging);
