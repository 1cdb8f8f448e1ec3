#include "platform/power/power_source.h"

#include "platform/power/power_source_sysfs.h"

namespace {

ServiceSlot<PowerSource> slot;

}  // namespace

PowerSource* InstallPowerSource(PowerSource* source) { return slot.Install(source); }

PowerSource& CurrentPowerSource() {
  static SysfsPowerSource sysfsSource;
  return slot.Or(sysfsSource);
}
