// The machine's own clock: the real time of day and the machine's time-zone rules.
#pragma once

#include "platform/time/clock.h"

class SystemClock : public Clock {
 public:
  // Whole milliseconds, as the device's clock gives them.
  ULONGLONG UtcNow() override;
  // The machine's offset in force at that instant (daylight saving included); 0 where the
  // machine's rules cannot tell.
  LONGLONG LocalOffsetAt(ULONGLONG utc) override;
};
