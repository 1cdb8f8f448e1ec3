#include "host/program/run_mode.h"

RunMode DecideRunMode(const HostOptions& options, bool onTerminal) {
  switch (options.command) {
    case ProgramCommand::Register:
      return RunMode::Register;
    case ProgramCommand::Unregister:
      return RunMode::Unregister;
    case ProgramCommand::Report:
      return RunMode::Report;
    case ProgramCommand::Stats:
      return RunMode::Stats;
    case ProgramCommand::HomeScreen:
      break;
  }
  if (options.simulation.fullSpeed()) return RunMode::FullSpeed;
  if (options.bar) return RunMode::Bar;
  if (options.service) return RunMode::Service;
  return options.once || !onTerminal ? RunMode::Once : RunMode::Screen;
}

bool RunsUntilStopped(RunMode mode) {
  return mode == RunMode::Screen || mode == RunMode::Bar || mode == RunMode::Service ||
         mode == RunMode::FullSpeed;
}
