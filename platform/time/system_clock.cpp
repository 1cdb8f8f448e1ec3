#include "platform/time/system_clock.h"

#include <stdlib.h>
#include <time.h>

#include <utility>

#include "platform/time/calendar.h"

namespace {

constexpr std::chrono::minutes kZoneRulesLifetime{1};

bool SameZone(const char* zone, const std::optional<std::string>& read) {
  return zone != nullptr ? read && *read == zone : !read;
}

}  // namespace

SystemClock::SystemClock(SteadyNow steadyNow, ReadZoneRules readZoneRules)
    : steadyNow_(std::move(steadyNow)), readZoneRules_(std::move(readZoneRules)) {}

ULONGLONG SystemClock::UtcNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const LONGLONG sinceUnixEpoch =
      static_cast<LONGLONG>(now.tv_sec) * static_cast<LONGLONG>(kFileTimeUnitsPerSecond) +
      now.tv_nsec / 1'000'000 * static_cast<LONGLONG>(kFileTimeUnitsPerMillisecond);
  return kUnixEpochFileTime + sinceUnixEpoch;
}

void SystemClock::RefreshZoneRules() {
  const std::chrono::steady_clock::time_point now = steadyNow_();
  const char* zone = getenv("TZ");
  if (rulesReadAt_ && SameZone(zone, zoneRead_) && now - *rulesReadAt_ < kZoneRulesLifetime) return;
  // localtime_r need not look at the zone again by itself; tzset reads TZ and the rules it names.
  readZoneRules_();
  rulesReadAt_ = now;
  zoneRead_ = zone != nullptr ? std::optional<std::string>(zone) : std::nullopt;
}

LONGLONG SystemClock::LocalOffsetAt(ULONGLONG utc) {
  const LONGLONG sinceUnixEpoch = static_cast<LONGLONG>(utc - kUnixEpochFileTime);
  const auto unitsPerSecond = static_cast<LONGLONG>(kFileTimeUnitsPerSecond);
  LONGLONG seconds = sinceUnixEpoch / unitsPerSecond;
  if (sinceUnixEpoch % unitsPerSecond < 0) --seconds;
  const time_t instant = static_cast<time_t>(seconds);
  RefreshZoneRules();
  tm local{};
  if (localtime_r(&instant, &local) == nullptr) return 0;
  return static_cast<LONGLONG>(local.tm_gmtoff) * unitsPerSecond;
}
