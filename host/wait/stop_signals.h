// The signals that end the host or change its screen, caught for the lifetime of the object:
// SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2 and SIGALRM ask it to stop (so that it saves its state
// however it is told to end), SIGWINCH says the terminal was resized and, for a full-screen
// program, SIGTSTP asks it to give the terminal back and stop, SIGCONT says it runs again. The
// handlers only set flags and write one byte to a wake-up pipe, so a wait that polls WakeFd() ends
// when a signal arrives, however shortly before the wait began. They are installed without
// SA_RESTART. SIGPIPE is ignored meanwhile, so writing to a reader that went away fails instead of
// ending the host before it has released the plug-in. Only one StopSignals takes effect at a time;
// one made while another lives does nothing.
#pragma once

class StopSignals {
 public:
  enum class Suspend { Default, Caught };

  // With Suspend::Caught, SIGTSTP and SIGCONT are caught too; otherwise SIGTSTP stops at once.
  explicit StopSignals(Suspend suspend = Suspend::Default);
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // Whether one of the stop signals arrived; stays set.
  static bool StopRequested();
  // Whether the terminal was resized since the last call; reading clears it.
  static bool ResizeRequested();
  // Whether a caught SIGTSTP arrived since the last call; reading clears it.
  static bool SuspendRequested();
  // Whether a caught SIGCONT arrived since the last call; reading clears it.
  static bool Continued();
  // Readable after a caught signal until Drain(); -1 while no StopSignals lives.
  static int WakeFd();
  // Empties the wake-up pipe (the flags stay as they are).
  static void Drain();

 private:
  bool owner_;
  Suspend suspend_;
};
