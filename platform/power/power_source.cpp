#include "platform/power/power_source.h"

#include "platform/power/power_source_sysfs.h"

namespace {

PowerSource* installedSource = nullptr;

}  // namespace

PowerSource* InstallPowerSource(PowerSource* source) {
  PowerSource* previous = installedSource;
  installedSource = source;
  return previous;
}

PowerSource& CurrentPowerSource() {
  if (installedSource != nullptr) return *installedSource;
  static SysfsPowerSource sysfsSource;
  return sysfsSource;
}
