// What a run of zelvar-home does, decided once from the command line and whether it runs on a
// terminal; every later choice of the run follows from this one value.
#pragma once

#include "host/program/options.h"

enum class RunMode {
  Register,    // --register
  Unregister,  // --unregister
  Report,      // --report
  Stats,       // --stats
  FullSpeed,   // --days or --trace: simulated time at full speed
  Bar,         // --bar
  Service,     // --service
  Once,        // --once, or the home screen without a terminal on both ends
  Screen,      // the terminal screen
};

// onTerminal: standard input and output are both a terminal (the screen reads its keys from one).
RunMode DecideRunMode(const HostOptions& options, bool onTerminal);

// Whether the run lasts until it is stopped or its simulated time is over: such a run catches the
// stop signals from its start, before it touches a file, and ends through its normal path, saving.
// The one-off runs end by default on them.
bool RunsUntilStopped(RunMode mode);
