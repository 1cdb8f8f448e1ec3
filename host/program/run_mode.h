// What a run of zelvar-home does, decided once from the command line and whether it runs on a
// terminal; every later choice of the run follows from this one value.
#pragma once

#include "host/front/bar/line_run.h"
#include "host/program/options.h"

enum class RunKind {
  Register,    // --register
  Unregister,  // --unregister
  Report,      // --report
  Stats,       // --stats
  FullSpeed,   // --days or --trace: simulated time at full speed
  Lines,       // --bar or --service
  Once,        // --once, or the home screen without a terminal on both ends
  Screen,      // the terminal screen
};

struct RunMode {
  RunKind kind;
  LineOutput lines;  // for Lines: the bar's output and format, or the service's none
  bool operator==(const RunMode&) const = default;
};

// onTerminal: standard input and output are both a terminal (the screen reads its keys from one).
RunMode DecideRunMode(const HostOptions& options, bool onTerminal);

// Whether the run lasts until it is stopped or its simulated time is over: such a run catches the
// stop signals from its start, before it touches a file, and ends through its normal path, saving.
// The one-off runs end by default on them.
bool RunsUntilStopped(RunKind kind);

// Whether the run keeps the plug-in's files when it holds the home's lock: the home screen on the
// terminal or in a status bar, the service, and a full-speed simulation. Every other run (--once,
// --report, --stats) only reads them and takes no lock.
bool KeepsPluginFiles(RunKind kind);
