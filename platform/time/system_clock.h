// The machine's own clock: the real time of day and the machine's time-zone rules.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include <time.h>

#include "platform/time/clock.h"

class SystemClock : public Clock {
 public:
  using SteadyNow = std::function<std::chrono::steady_clock::time_point()>;
  using ReadZoneRules = std::function<void()>;

  // steadyNow measures how long ago the zone rules were read, readZoneRules reads them (tzset);
  // tests give their own.
  explicit SystemClock(SteadyNow steadyNow = std::chrono::steady_clock::now,
                       ReadZoneRules readZoneRules = tzset);

  // Whole milliseconds, as the device's clock gives them.
  ULONGLONG UtcNow() override;
  // The machine's offset in force at that instant (daylight saving included); 0 where the
  // machine's rules cannot tell. The zone rules are read again when TZ has changed, and otherwise
  // at most once a minute (a changed /etc/localtime counts from then on), not on every call:
  // reading them costs a file check and half of a status update.
  LONGLONG LocalOffsetAt(ULONGLONG utc) override;

 private:
  void RefreshZoneRules();

  SteadyNow steadyNow_;
  ReadZoneRules readZoneRules_;
  std::optional<std::chrono::steady_clock::time_point> rulesReadAt_;
  std::optional<std::string> zoneRead_;  // TZ when the rules were read; absent when unset
};
