// The host's waiter on the machine: poll() on the input, the signals' wake-up pipe and, on the real
// clock, a WallClockTimer armed at the deadline. On a simulated clock the deadline becomes a
// real-time timeout at the pacer's speed, and the pacer moves the clock on after every wait.
#pragma once

#include <optional>
#include <utility>
#include <vector>

#include "host/wait/clock_pacer.h"
#include "host/wait/polled_connection.h"
#include "host/wait/power_events.h"
#include "host/wait/wall_clock_timer.h"
#include "host/wait/waiter.h"

class PollWaiter final : public Waiter {
 public:
  // Throws HostError when the wall-clock timer cannot be had (real clock only).
  explicit PollWaiter(ClockPacer& pacer);

  WakeReason Wait(std::optional<ULONGLONG> deadline, int inputFd, int maxWaitMs) override;
  // From now on a hang-up or error on fd (a pipe whose reader is gone, a terminal hung up) ends
  // every wait with OutputGone. Costs no wake-up while the output is well.
  void WatchOutput(int fd) { outputFd_ = fd; }
  // From now on fd readable (FileChanges::fd, LockWait::fd) ends every wait with `reason`; it
  // replaces the descriptor watched for that reason before, -1 none.
  void WatchReadable(WakeReason reason, int fd);
  // From now on every wait also polls the connection as it asks at that moment, and ends with
  // `reason` when it is ready or due; nullptr: none.
  void WatchConnection(WakeReason reason, const PolledConnection* connection) {
    connectionReason_ = reason;
    connection_ = connection;
  }
  // From now on (nullptr: no longer) the wait reads the events whenever they wake it, and ends
  // with PowerEvent only when they say the charger changed; other events end no wait.
  void WatchPowerEvents(PowerEvents* events);

 private:
  // One poll(): ends with PowerEvent whenever the events can be read.
  WakeReason WaitOnce(std::optional<ULONGLONG> deadline, int inputFd, int maxWaitMs);
  // The poll() timeout for the deadline, arming the wall-clock timer on the real clock.
  int TimeoutFor(std::optional<ULONGLONG> deadline, int maxWaitMs);

  ClockPacer& pacer_;
  std::optional<WallClockTimer> timer_;
  bool timerArmed_ = false;
  int outputFd_ = -1;
  std::vector<std::pair<WakeReason, int>> readable_;
  WakeReason connectionReason_ = WakeReason::Deadline;
  const PolledConnection* connection_ = nullptr;
  PowerEvents* powerEvents_ = nullptr;
};
