#include "platform/time/clock.h"

#include "platform/time/system_clock.h"

namespace {

ServiceSlot<Clock> slot;

}  // namespace

Clock* InstallClock(Clock* clock) { return slot.Install(clock); }

Clock& CurrentClock() {
  static SystemClock systemClock;
  return slot.Or(systemClock);
}
