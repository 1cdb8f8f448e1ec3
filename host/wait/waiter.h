// How the host's loops sleep: until a deadline on the installed clock, input, a signal or a change
// of the machine's clock, whichever comes first. Deadlines are file times (100 ns units since 1601,
// UTC) of the clock the plug-in reads, so a deadline is a wall-clock time: a wait that the
// machine's sleep or a clock set forward has overtaken ends at once.
#pragma once

#include <optional>

#include "platform/win_types.h"

enum class WakeReason {
  Deadline,     // the deadline came, or the real-time limit ran out
  Input,        // the input can be read (or has closed)
  Signal,       // a caught signal arrived
  ClockSet,     // the machine's clock was set: deadlines still ahead need a fresh look
  OutputGone,   // the watched output hung up or failed: nobody reads it any more
  PowerEvent,   // the kernel told of a power supply, and the charger or battery reads otherwise
  FileChanged,  // a watched file was replaced or written (FileChanges)
  LockFreed,    // a lock waited for is this process's now (LockWait)
  SessionBus,   // the session bus connection is to be served (PollWaiter::WatchConnection)
};

class Waiter {
 public:
  virtual ~Waiter() = default;
  // Waits until the installed clock reaches `deadline` (none: no deadline), until inputFd can be
  // read (-1: no input), a caught signal arrives or the clock is set; maxWaitMs bounds the wait in
  // real milliseconds (-1: no bound). Answers at once when the deadline has passed.
  virtual WakeReason Wait(std::optional<ULONGLONG> deadline, int inputFd, int maxWaitMs) = 0;
};
