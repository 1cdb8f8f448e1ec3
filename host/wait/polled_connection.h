// A connection the loop serves between its other work (the desktop's session bus): poll() watches
// its descriptor for the events it asks for, and the time limit of what it awaits bounds the wait.
// While it awaits nothing, it costs no wake-up.
#pragma once

class PolledConnection {
 public:
  virtual ~PolledConnection() = default;
  // -1 while there is no connection.
  virtual int fd() const = 0;
  // The poll() events it waits for: POLLIN, and POLLOUT while it has something to send.
  virtual short events() const = 0;
  // Real milliseconds until it is to be served even though nothing arrived (a call's time ran
  // out): 0 at once, -1 never.
  virtual int msUntilDue() const = 0;
};
