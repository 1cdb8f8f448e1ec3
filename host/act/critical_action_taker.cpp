#include "host/act/critical_action_taker.h"

#include <utility>

#include "host/act/detached_command.h"
#include "host/act/logind_call.h"
#include "host/notify/call_failure.h"

namespace {

// A system action as logind names it, and as the sentence "the system cannot …" ends.
struct LogindAction {
  const char* method;
  const char* question;
  const char* cannot;
};

LogindAction LogindActionOf(CriticalAction::Kind kind) {
  switch (kind) {
    case CriticalAction::Kind::Hibernate:
      return {"Hibernate", "CanHibernate", "hibernate"};
    case CriticalAction::Kind::HybridSleep:
      return {"HybridSleep", "CanHybridSleep", "go into hybrid sleep"};
    case CriticalAction::Kind::Suspend:
      return {"Suspend", "CanSuspend", "suspend"};
    case CriticalAction::Kind::PowerOff:
    case CriticalAction::Kind::Command:
      break;
  }
  return {"PowerOff", "CanPowerOff", "power off"};
}

}  // namespace

CriticalActionTaker::CriticalActionTaker(CriticalAction action, std::string shell)
    : action_(std::move(action)), shell_(std::move(shell)) {}

std::optional<std::string> CriticalActionTaker::Check() {
  if (action_.kind == CriticalAction::Kind::Command) return ShellProblem(shell_);
  const LogindAction logind = LogindActionOf(action_.kind);
  const Outcome<std::string> answer = AskLogind(logind.question);
  if (!answer.ok()) return answer.problem();
  // "no", "na" (not supported here) and "challenge" (only with a password asked, which a service
  // cannot) all mean it will not happen.
  if (answer.value() == "yes") return std::nullopt;
  std::string problem = "the system cannot ";
  problem += logind.cannot;
  problem += " (logind answers \"";
  problem += OneShortLine(answer.value());
  problem += "\")";
  return problem;
}

std::optional<std::string> CriticalActionTaker::Take() {
  if (action_.kind == CriticalAction::Kind::Command)
    return StartDetachedCommand(shell_, action_.command);
  return RequestOfLogind(LogindActionOf(action_.kind).method, false);
}
