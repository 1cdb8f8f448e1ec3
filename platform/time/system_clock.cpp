#include "platform/time/system_clock.h"

#include <time.h>

#include "platform/time/calendar.h"

ULONGLONG SystemClock::UtcNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const LONGLONG sinceUnixEpoch =
      static_cast<LONGLONG>(now.tv_sec) * static_cast<LONGLONG>(kFileTimeUnitsPerSecond) +
      now.tv_nsec / 1'000'000 * static_cast<LONGLONG>(kFileTimeUnitsPerMillisecond);
  return kUnixEpochFileTime + sinceUnixEpoch;
}

LONGLONG SystemClock::LocalOffsetAt(ULONGLONG utc) {
  const LONGLONG sinceUnixEpoch = static_cast<LONGLONG>(utc - kUnixEpochFileTime);
  const auto unitsPerSecond = static_cast<LONGLONG>(kFileTimeUnitsPerSecond);
  LONGLONG seconds = sinceUnixEpoch / unitsPerSecond;
  if (sinceUnixEpoch % unitsPerSecond < 0) --seconds;
  const time_t instant = static_cast<time_t>(seconds);
  // localtime_r need not look at the zone again; tzset makes a zone changed while running count.
  tzset();
  tm local{};
  if (localtime_r(&instant, &local) == nullptr) return 0;
  return static_cast<LONGLONG>(local.tm_gmtoff) * unitsPerSecond;
}
