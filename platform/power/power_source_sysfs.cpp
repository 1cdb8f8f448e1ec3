#include "platform/power/power_source_sysfs.h"

#include <utility>

#include "platform/power/internal/power_status_mapping.h"
#include "platform/power/internal/power_supply_reader.h"
#include "platform/power/internal/sysfs_supply_source.h"

namespace {

constexpr std::chrono::seconds kCacheLifetime{1};

}  // namespace

SysfsPowerSource::SysfsPowerSource(std::filesystem::path root, SteadyNow steadyNow)
    : root_(std::move(root)), steadyNow_(std::move(steadyNow)) {}

bool SysfsPowerSource::Read(SYSTEM_POWER_STATUS_EX2& status, bool update) {
  const std::chrono::steady_clock::time_point now = steadyNow_();
  if (!update && lastStatus_ && now - lastReadAt_ < kCacheLifetime) {
    status = *lastStatus_;
    return true;
  }
  SysfsSupplySource source(root_);
  const auto supplies = ReadPowerSupplies(source);
  if (!supplies) return false;
  lastStatus_ = MapPowerStatus(*supplies);
  lastPack_ = PackOf(*supplies);
  lastChargeEnd_ = ChargeEndOf(*supplies);
  lastReadAt_ = now;
  status = *lastStatus_;
  return true;
}
