// The clock service behind the time calls: where "now" and the local time-zone offset come from.
#pragma once

#include "platform/scoped_service.h"
#include "platform/win_types.h"

class Clock {
 public:
  virtual ~Clock() = default;
  // Current UTC time in 100 ns units since 1601-01-01 00:00 UTC.
  virtual ULONGLONG UtcNow() = 0;
  // Local time minus UTC, in 100 ns units, in force at the given UTC instant.
  virtual LONGLONG LocalOffsetAt(ULONGLONG utc) = 0;
};

// Without an installed clock the system clock with the machine's time-zone rules answers.
Clock* InstallClock(Clock* clock);
using ScopedClock = ScopedService<Clock, InstallClock>;
// The installed clock, or the system clock.
Clock& CurrentClock();
