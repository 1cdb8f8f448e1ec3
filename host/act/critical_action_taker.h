// The taking of the critical action: a system one asked of logind on the system bus (logind_call.h:
// each call waits for its answer, a few seconds at most, as it is made once at the start and once
// per discharge at most), a command started through the shell as this user (detached_command.h).
#pragma once

#include <optional>
#include <string>

#include "host/act/critical_action.h"

class CriticalActionTaker {
 public:
  // `shell` runs a command as `shell -c COMMAND`.
  explicit CriticalActionTaker(CriticalAction action, std::string shell = "/bin/sh");

  // Whether the action can be taken, asked once at the start: logind's Can… method (CanHibernate,
  // CanHybridSleep, CanSuspend, CanPowerOff) must answer "yes"; a command can be tried when its
  // shell can be run. nullopt when it can, else why not in words, e.g.
  // "the system cannot hibernate (logind answers \"na\")" or "no system bus: …".
  std::optional<std::string> Check();

  // Asks for the action: logind's Hibernate, HybridSleep, Suspend or PowerOff, not interactive (no
  // password asked); a command started through the shell in a session of its own, its standard
  // input empty and its output on this program's standard error, neither waited for nor left a
  // zombie. nullopt when asked or started, else the failure in words.
  std::optional<std::string> Take();

  const CriticalAction& action() const { return action_; }

 private:
  CriticalAction action_;
  std::string shell_;
};
