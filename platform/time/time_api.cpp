#include "platform/time/time_api.h"

#include <algorithm>
#include <optional>

#include "platform/time/calendar.h"
#include "platform/time/clock.h"

namespace {

// utc shifted by offset, or absent when either end lies outside the range of file times.
std::optional<ULONGLONG> Shifted(ULONGLONG utc, LONGLONG offset) {
  if (utc > kLatestFileTime) return std::nullopt;
  LONGLONG shifted;
  if (__builtin_add_overflow(static_cast<LONGLONG>(utc), offset, &shifted) || shifted < 0) {
    return std::nullopt;
  }
  return static_cast<ULONGLONG>(shifted);
}

// The clock's time plus offset as a broken-down time. The calls that read "now" cannot fail, so
// an instant outside the calendar (only a clock set to an extreme gives one) is held at the nearer
// end.
SYSTEMTIME BrokenDownNow(ULONGLONG utc, LONGLONG offset) {
  const std::optional<ULONGLONG> shifted = Shifted(std::min(utc, kLatestFileTime), offset);
  const ULONGLONG local = shifted ? *shifted : (offset < 0 ? 0 : kLatestFileTime);
  return *SystemTimeFromFileTime(local);
}

}  // namespace

void GetSystemTime(SYSTEMTIME* utc) {
  if (utc != nullptr) *utc = BrokenDownNow(CurrentClock().UtcNow(), 0);
}

void GetLocalTime(SYSTEMTIME* local) {
  if (local == nullptr) return;
  Clock& clock = CurrentClock();
  const ULONGLONG now = clock.UtcNow();
  *local = BrokenDownNow(now, clock.LocalOffsetAt(now));
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* time, FILETIME* fileTime) {
  if (time == nullptr || fileTime == nullptr) return FALSE;
  const std::optional<ULONGLONG> value = FileTimeFromSystemTime(*time);
  if (!value) return FALSE;
  *fileTime = MakeFileTime(*value);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* time) {
  if (fileTime == nullptr || time == nullptr) return FALSE;
  const std::optional<SYSTEMTIME> value = SystemTimeFromFileTime(FileTimeValue(*fileTime));
  if (!value) return FALSE;
  *time = *value;
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* utc, FILETIME* local) {
  if (utc == nullptr || local == nullptr) return FALSE;
  // The offset in force now, not at the converted instant, as the device does it: an instant on
  // the other side of a daylight-saving switch is shifted by today's offset.
  Clock& clock = CurrentClock();
  const std::optional<ULONGLONG> value =
      Shifted(FileTimeValue(*utc), clock.LocalOffsetAt(clock.UtcNow()));
  if (!value) return FALSE;
  *local = MakeFileTime(*value);
  return TRUE;
}
