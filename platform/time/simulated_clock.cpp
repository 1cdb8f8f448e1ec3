#include "platform/time/simulated_clock.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

#include "platform/time/calendar.h"

namespace {

ULONGLONG FileTimeOrThrow(const SYSTEMTIME& time) {
  const std::optional<ULONGLONG> value = FileTimeFromSystemTime(time);
  if (!value) throw std::invalid_argument("SimulatedClock: not a valid UTC time");
  return *value;
}

LONGLONG OffsetUnits(int offsetMinutes) {
  return static_cast<LONGLONG>(offsetMinutes) * static_cast<LONGLONG>(kFileTimeUnitsPerMinute);
}

}  // namespace

SimulatedClock::SimulatedClock(const SYSTEMTIME& utc, int offsetMinutes)
    : now_(FileTimeOrThrow(utc)), offsets_{{0, OffsetUnits(offsetMinutes)}} {}

ULONGLONG SimulatedClock::UtcNow() { return now_; }

LONGLONG SimulatedClock::LocalOffsetAt(ULONGLONG utc) {
  // The map always holds an entry at 0, so the last change at or before utc exists.
  return std::prev(offsets_.upper_bound(utc))->second;
}

void SimulatedClock::SetUtc(const SYSTEMTIME& utc) { now_ = FileTimeOrThrow(utc); }

void SimulatedClock::SetUtcFileTime(ULONGLONG utc) { now_ = std::min(utc, kLatestFileTime); }

void SimulatedClock::AdvanceMilliseconds(LONGLONG ms) {
  const auto now = static_cast<LONGLONG>(now_);
  LONGLONG delta;
  LONGLONG moved;
  if (__builtin_mul_overflow(ms, static_cast<LONGLONG>(kFileTimeUnitsPerMillisecond), &delta) ||
      __builtin_add_overflow(now, delta, &moved)) {
    moved = ms < 0 ? 0 : static_cast<LONGLONG>(kLatestFileTime);
  }
  now_ = static_cast<ULONGLONG>(std::max<LONGLONG>(moved, 0));
}

void SimulatedClock::ChangeOffsetAt(const SYSTEMTIME& utc, int offsetMinutes) {
  offsets_[FileTimeOrThrow(utc)] = OffsetUnits(offsetMinutes);
}
