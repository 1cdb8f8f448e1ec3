#include "host/estimate/discharge_follower.h"

#include <cmath>

#include "platform/time/calendar.h"

namespace {

bool OnMains(const SYSTEM_POWER_STATUS_EX2& status) {
  return status.ACLineStatus == AC_LINE_ONLINE || status.BatteryFlag == BATTERY_FLAG_CHARGING;
}

bool Unknown(const SYSTEM_POWER_STATUS_EX2& status) {
  return status.BatteryLifePercent == BATTERY_PERCENTAGE_UNKNOWN ||
         status.BatteryFlag == BATTERY_FLAG_UNKNOWN ||
         status.BatteryFlag == BATTERY_FLAG_NO_BATTERY;
}

bool PackChanged(const BatteryPack& before, const BatteryPack& now) {
  if (before.batteries != now.batteries) return true;
  const auto difference = static_cast<double>(now.fullCapacity - before.fullCapacity);
  return std::fabs(difference) > kPackCapacityStep * static_cast<double>(before.fullCapacity);
}

}  // namespace

DischargeFollower::DischargeFollower(DWORD refreshMilliseconds)
    : resumeGap_(kRefreshesInAResumeGap * refreshMilliseconds * kFileTimeUnitsPerMillisecond) {}

void DischargeFollower::Observe(ULONGLONG utc, const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
                                const std::optional<BatteryPack>& pack) {
  if (!status) return;
  const bool packChanged = pack && pack_ && PackChanged(*pack_, *pack);
  if (pack) pack_ = pack;
  if (OnMains(*status) || Unknown(*status)) {
    start_.reset();
    last_.reset();
    return;
  }
  const Point now{utc, status->BatteryLifePercent};
  const bool resumed = last_ && (now.utc < last_->utc || now.utc - last_->utc > resumeGap_);
  if (!start_ || resumed || packChanged || now.percent > last_->percent) start_ = now;
  last_ = now;
}

std::optional<LinearFigure> DischargeFollower::Figure() const {
  if (!start_) return std::nullopt;
  const int dropped = start_->percent - last_->percent;
  if (dropped <= 0) return std::nullopt;
  const double hours =
      static_cast<double>(last_->utc - start_->utc) / static_cast<double>(kFileTimeUnitsPerHour);
  return LinearFigure{last_->percent * hours / dropped, dropped, hours};
}
