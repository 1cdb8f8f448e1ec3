// The signals that end the host or change its screen, caught for the lifetime of the object:
// SIGTERM, SIGINT and SIGHUP ask it to stop, SIGWINCH says the terminal was resized. The handlers
// only set flags and write one byte to a wake-up pipe, so a wait that polls WakeFd() ends when a
// signal arrives, however shortly before the wait began. They are installed without SA_RESTART.
// SIGPIPE is ignored meanwhile, so writing to a reader that went away fails instead of ending the
// host before it has released the plug-in. Only one StopSignals takes effect at a time; one made
// while another lives does nothing.
#pragma once

class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Whether SIGTERM, SIGINT or SIGHUP arrived; stays set.
  static bool StopRequested();
  // Whether the terminal was resized since the last call; reading clears it.
  static bool ResizeRequested();
  // Readable after a caught signal until Drain(); -1 while no StopSignals lives.
  static int WakeFd();
  // Empties the wake-up pipe (the flags stay as they are).
  static void Drain();

 private:
  bool owner_;
};
