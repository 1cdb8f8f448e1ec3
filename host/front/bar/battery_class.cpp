#include "host/front/bar/battery_class.h"

const char* BatteryClass(const std::optional<SYSTEM_POWER_STATUS_EX2>& status, int criticalLevel) {
  if (!status || status->BatteryFlag == BATTERY_FLAG_NO_BATTERY ||
      status->BatteryFlag == BATTERY_FLAG_UNKNOWN) {
    return "unknown";
  }
  if (status->BatteryFlag == BATTERY_FLAG_CHARGING) return "charging";
  if (status->ACLineStatus == AC_LINE_ONLINE) return "full";
  if (status->BatteryLifePercent != BATTERY_PERCENTAGE_UNKNOWN &&
      status->BatteryLifePercent <= criticalLevel) {
    return "critical";
  }
  if (status->BatteryFlag == BATTERY_FLAG_LOW || status->BatteryFlag == BATTERY_FLAG_CRITICAL)
    return "low";
  return "discharging";
}
