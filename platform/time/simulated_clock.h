// A clock that stands still until told: set to any UTC instant, with any local offset (whole or
// half hours, negative too) and offset changes at given instants (a daylight-saving switch in the
// middle of a run).
#pragma once

#include <map>

#include "platform/time/clock.h"
#include "platform/time/time_api.h"

class SimulatedClock : public Clock {
 public:
  // Starts at the given UTC time with local time offsetMinutes ahead of UTC. A broken-down time
  // that names no instant (SystemTimeToFileTime fails on it) throws std::invalid_argument here and
  // in SetUtc and ChangeOffsetAt: it is a mistake in the caller's set-up.
  SimulatedClock(const SYSTEMTIME& utc, int offsetMinutes);

  ULONGLONG UtcNow() override;
  LONGLONG LocalOffsetAt(ULONGLONG utc) override;

  void SetUtc(const SYSTEMTIME& utc);
  // Held within the range of file times (0 .. 0x7FFFFFFFFFFFFFFF), as is AdvanceMilliseconds.
  void SetUtcFileTime(ULONGLONG utc);
  // Negative values move the clock back.
  void AdvanceMilliseconds(LONGLONG ms);
  // From the given UTC instant on, local time is offsetMinutes ahead of UTC.
  void ChangeOffsetAt(const SYSTEMTIME& utc, int offsetMinutes);

 private:
  ULONGLONG now_;
  std::map<ULONGLONG, LONGLONG> offsets_;  // UTC instant -> offset in force from then on
};
