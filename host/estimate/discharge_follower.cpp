#include "host/estimate/discharge_follower.h"

#include "platform/time/calendar.h"

namespace {

bool OnMains(const SYSTEM_POWER_STATUS_EX2& status) {
  return status.ACLineStatus == AC_LINE_ONLINE || status.BatteryFlag == BATTERY_FLAG_CHARGING;
}

}  // namespace

void DischargeFollower::Observe(ULONGLONG utc,
                                const std::optional<SYSTEM_POWER_STATUS_EX2>& status) {
  if (!status) return;
  if (OnMains(*status) || status->BatteryLifePercent == BATTERY_PERCENTAGE_UNKNOWN) {
    start_.reset();
    last_.reset();
    return;
  }
  const Point now{utc, status->BatteryLifePercent};
  if (!start_ || now.percent > last_->percent || now.utc < last_->utc) start_ = now;
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
