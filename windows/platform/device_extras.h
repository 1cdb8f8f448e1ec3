// What the device platform's API has and desktop Windows lacks, for the Windows build of the
// module. The module's sources use these names exactly as the stand-in build defines them; only
// this file and its .cpp differ between the two builds.
#pragma once

#include <windows.h>
// IObjectWithSite, which <ole2.h> leaves out.
#include <ocidl.h>

#include <cstdint>

#include "platform/power/power_status_record.h"

// The power status from GetSystemPowerStatus. What the desktop does not report is left
// undetermined as on a device that cannot measure it: the backup battery, run times and percents
// at their "unknown" values, chemistry unknown, and the measurements without an "unknown" value
// (voltages, currents, interval, charge consumed, temperature) at 0. The desktop's BatteryFlag
// bit set becomes the device's single code (see DeviceBatteryFlag). Answers the record's size, or
// 0 with *status untouched for a null record, a length below the record's size or a failed read.
// The update flag is not needed: the desktop always answers its current reading.
DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL update);

// The device reports one battery code at a time, where the desktop combines bits (charging and
// high is 9): charging wins, then no battery, critical, low and high; 255 stays, and 0 (neither
// low nor high) becomes high, as the stand-in answers between 33 and 66 %.
BYTE DeviceBatteryFlag(BYTE desktopFlag);

// The device context carried in a PE_PAINT record. Window-system handles are 32-bit values that
// 64-bit Windows sign-extends, as LongToHandle does.
inline HDC HdcFromEventWord(DWORD word) {
  return reinterpret_cast<HDC>(static_cast<intptr_t>(static_cast<LONG>(word)));
}

// The device's callers mark a GetSysColor argument as a system colour index with 0x40000000. The
// desktop's GetSysColor takes the bare index and answers 0 for anything else, so there the mark is
// no bit at all and `index | SYS_COLOR_INDEX_FLAG` is the bare index.
#define SYS_COLOR_INDEX_FLAG 0

// The device's static-control text colour (index 26 there). The desktop has no such index (its 26
// is the hot-tracking colour); its static controls draw their text in the window text colour.
#define COLOR_STATICTEXT COLOR_WINDOWTEXT
