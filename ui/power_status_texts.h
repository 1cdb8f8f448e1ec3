// The battery report's words and texts for the fields of the power status record, as narrow
// Latin-1 text. Codes are compared as whole values: a combination of flags has no word of its own.
#pragma once

#include <string>

#include "platform/api.h"

// "Offline", "Online", "Backup power", else "Unknown".
const char* AcLineWord(BYTE acLineStatus);
// For BatteryFlag and BackupBatteryFlag: "High", "Low", "Critical", "Charging", "No battery", else
// "Unknown".
const char* BatteryFlagWord(BYTE flag);
const char* ChemistryWord(BYTE chemistry);

// "87%", or "Unknown" for the undetermined 255.
std::string PercentText(BYTE percent);
// Seconds as a signed decimal with the unit, "3600 s", or "Unknown" for the undetermined
// 0xFFFFFFFF.
std::string LifeTimeText(DWORD seconds);
// Tenths of a degree Celsius with one decimal and the degree sign (Latin-1 0xB0): 253 gives
// "25.3°C".
std::string TemperatureText(DWORD tenths);
