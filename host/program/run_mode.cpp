#include "host/program/run_mode.h"

RunMode DecideRunMode(const HostOptions& options, bool onTerminal) {
  switch (options.command) {
    case ProgramCommand::Register:
      return {RunKind::Register, {}};
    case ProgramCommand::Unregister:
      return {RunKind::Unregister, {}};
    case ProgramCommand::Report:
      return {RunKind::Report, {}};
    case ProgramCommand::Stats:
      return {RunKind::Stats, {}};
    case ProgramCommand::HomeScreen:
      break;
  }
  if (options.simulation.fullSpeed()) return {RunKind::FullSpeed, {}};
  if (options.bar)
    return {RunKind::Lines, {false, options.json ? BarFormat::Json : BarFormat::Text}};
  if (options.service) return {RunKind::Lines, {true, BarFormat::Text}};
  return {options.once || !onTerminal ? RunKind::Once : RunKind::Screen, {}};
}

bool RunsUntilStopped(RunKind kind) {
  return kind == RunKind::Screen || kind == RunKind::Lines || kind == RunKind::FullSpeed;
}

bool KeepsPluginFiles(RunKind kind) { return RunsUntilStopped(kind); }
