#include "host/estimate/discharge_follower.h"

#include <algorithm>
#include <cmath>

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
  if (!start_ || resumed || packChanged || now.percent > last_->percent) {
    start_ = now;
    windowStarts_.clear();
  }
  last_ = now;
  windowStarts_.push_back(now);
  ForgetOutgrownStarts();
}

std::optional<LinearFigure> DischargeFollower::Figure() const {
  if (!start_) return std::nullopt;
  const int dropped = start_->percent - last_->percent;
  if (dropped <= 0) return std::nullopt;
  const double hours =
      static_cast<double>(last_->utc - start_->utc) / static_cast<double>(kFileTimeUnitsPerHour);
  return LinearFigure{last_->percent * hours / dropped, dropped, hours};
}

std::optional<double> DischargeFollower::HoursLeft() const {
  const std::optional<LinearFigure> sinceBase = Figure();
  if (!sinceBase) return std::nullopt;
  // Kept oldest first, only the latest reading that may start the window is left of those that may.
  const Point& start = windowStarts_.front();
  if (!StartsRecentWindow(start)) return sinceBase->hoursLeft;
  const double hours =
      static_cast<double>(last_->utc - start.utc) / static_cast<double>(kFileTimeUnitsPerHour);
  return std::min(sinceBase->hoursLeft, last_->percent * hours / (start.percent - last_->percent));
}

bool DischargeFollower::StartsRecentWindow(const Point& start) const {
  return start.utc + kRecentWindow <= last_->utc &&
         start.percent - last_->percent >= kLeastRecentDrop;
}

void DischargeFollower::ForgetOutgrownStarts() {
  // Time only moves on and the charge only falls within the period, so a reading outgrown stays so.
  const auto outgrown = [this](const Point& start, const Point& next) {
    return next.utc + kRecentWindow <= last_->utc &&
           (next.percent == start.percent || StartsRecentWindow(next));
  };
  size_t kept = 0;
  for (size_t i = 0; i < windowStarts_.size(); ++i) {
    if (i + 1 < windowStarts_.size() && outgrown(windowStarts_[i], windowStarts_[i + 1])) continue;
    windowStarts_[kept++] = windowStarts_[i];
  }
  windowStarts_.resize(kept);
}
