#include "host/estimate/critical_countdown.h"

#include "platform/time/calendar.h"

namespace {

constexpr ULONGLONG kLength = CriticalCountdown::kSeconds * kFileTimeUnitsPerSecond;

}  // namespace

std::optional<ULONGLONG> CriticalCountdown::Deadline(ULONGLONG now) {
  if (deadline_ && *deadline_ > now + kLength) deadline_ = now + kLength;
  return deadline_;
}

std::optional<CriticalStep> CriticalCountdown::Observe(const BatteryReading& reading,
                                                       ULONGLONG now) {
  if (!reading.onBattery) {
    // Power back ends the discharge.
    const bool warned = deadline_ || (done_ && !canAct_);
    deadline_.reset();
    done_ = false;
    if (warned) return CriticalStep::Withdraw;
    return std::nullopt;
  }
  if (!reading.percent || *reading.percent > level_) {
    if (!deadline_) return std::nullopt;
    deadline_.reset();
    return CriticalStep::Withdraw;
  }
  if (done_) return std::nullopt;
  if (!canAct_) {
    done_ = true;
    return CriticalStep::Warn;
  }
  if (!deadline_) {
    deadline_ = now + kLength;
    return CriticalStep::Warn;
  }
  if (now < *Deadline(now)) return std::nullopt;
  deadline_.reset();
  done_ = true;
  return CriticalStep::Act;
}
