#include "platform/power/power_api.h"

#include "platform/power/power_source.h"

DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL update) {
  if (status == nullptr || length < sizeof(SYSTEM_POWER_STATUS_EX2)) return 0;
  // Read into a copy so that a failed read leaves the caller's record as it was.
  SYSTEM_POWER_STATUS_EX2 reading{};
  if (!CurrentPowerSource().Read(reading, update != FALSE)) return 0;
  *status = reading;
  return sizeof(SYSTEM_POWER_STATUS_EX2);
}
