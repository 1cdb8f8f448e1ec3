#include "ui/power_status_texts.h"

#include "platform/text/narrow_format.h"

namespace {

constexpr const char* kUnknown = "Unknown";

}  // namespace

const char* AcLineWord(BYTE acLineStatus) {
  switch (acLineStatus) {
    case AC_LINE_OFFLINE:
      return "Offline";
    case AC_LINE_ONLINE:
      return "Online";
    case AC_LINE_BACKUP_POWER:
      return "Backup power";
    default:
      return kUnknown;
  }
}

const char* BatteryFlagWord(BYTE flag) {
  switch (flag) {
    case BATTERY_FLAG_HIGH:
      return "High";
    case BATTERY_FLAG_LOW:
      return "Low";
    case BATTERY_FLAG_CRITICAL:
      return "Critical";
    case BATTERY_FLAG_CHARGING:
      return "Charging";
    case BATTERY_FLAG_NO_BATTERY:
      return "No battery";
    default:
      return kUnknown;
  }
}

const char* ChemistryWord(BYTE chemistry) {
  switch (chemistry) {
    case BATTERY_CHEMISTRY_ALKALINE:
      return "Alcaline";
    case BATTERY_CHEMISTRY_NICD:
      return "NiCd";
    case BATTERY_CHEMISTRY_NIMH:
      return "NiMh";
    case BATTERY_CHEMISTRY_LION:
      return "Lithium-Ion";
    case BATTERY_CHEMISTRY_LIPOLY:
      return "Lithium-Polymer";
    case BATTERY_CHEMISTRY_ZINCAIR:
      return "Zincair";
    default:
      return kUnknown;
  }
}

std::string PercentText(BYTE percent) {
  if (percent == BATTERY_PERCENTAGE_UNKNOWN) return kUnknown;
  return NarrowFormat("%d%%", static_cast<int>(percent));
}

std::string LifeTimeText(DWORD seconds) {
  if (seconds == BATTERY_LIFE_UNKNOWN) return kUnknown;
  return NarrowFormat("%d s", static_cast<int>(seconds));
}

std::string TemperatureText(DWORD tenths) {
  // Single precision first, as the temperature has always been converted; exact below 2^24 tenths.
  const double degrees = static_cast<double>(static_cast<float>(tenths)) * 0.1;
  // "\xB0" "C" kept apart: C is a hex digit and would join the escape.
  return NarrowFormat(
      "%.1f\xB0"
      "C",
      degrees);
}
