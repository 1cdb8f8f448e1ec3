#include "host/wait/clock_pacer.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kFileTimeUnitsPerMillisecond = 10'000.0;

}  // namespace

ClockPacer::ClockPacer(SimulatedClock& clock, double speed, SteadyNow steadyNow)
    : clock_(&clock),
      speed_(speed),
      steadyNow_(std::move(steadyNow)),
      startedAt_(steadyNow_()),
      startUtc_(clock.UtcNow()) {}

void ClockPacer::CatchUp() {
  if (clock_ == nullptr) return;
  const auto elapsed =
      std::chrono::duration_cast<std::chrono::nanoseconds>(steadyNow_() - startedAt_);
  const double simulatedUnits = static_cast<double>(elapsed.count()) / 100.0 * speed_;
  const ULONGLONG target = startUtc_ + static_cast<ULONGLONG>(simulatedUnits);
  if (target > clock_->UtcNow()) clock_->SetUtcFileTime(target);
}

int ClockPacer::PollTimeoutMs(std::optional<ULONGLONG> deadline, ULONGLONG now, int capMs) const {
  if (!deadline) return capMs;
  if (*deadline <= now) return 0;
  const double realMs =
      std::ceil(static_cast<double>(*deadline - now) / kFileTimeUnitsPerMillisecond / speed_);
  return static_cast<int>(std::min(realMs, static_cast<double>(capMs)));
}
