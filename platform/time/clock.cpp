#include "platform/time/clock.h"

#include "platform/time/system_clock.h"

namespace {

Clock* installedClock = nullptr;

}  // namespace

Clock* InstallClock(Clock* clock) {
  Clock* previous = installedClock;
  installedClock = clock;
  return previous;
}

Clock& CurrentClock() {
  if (installedClock != nullptr) return *installedClock;
  static SystemClock systemClock;
  return systemClock;
}
