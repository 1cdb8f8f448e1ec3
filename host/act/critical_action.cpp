#include "host/act/critical_action.h"

#include <algorithm>

#include "host/hosting/printable_text.h"

namespace {

constexpr std::string_view kCommandPrefix = "command:";

struct NamedAction {
  std::string_view word;
  CriticalAction::Kind kind;
  const char* doing;
};

constexpr NamedAction kSystemActions[] = {
    {"hibernate", CriticalAction::Kind::Hibernate, "Hibernating"},
    {"hybrid-sleep", CriticalAction::Kind::HybridSleep, "Going into hybrid sleep"},
    {"suspend", CriticalAction::Kind::Suspend, "Suspending"},
    {"poweroff", CriticalAction::Kind::PowerOff, "Powering off"},
};

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

}  // namespace

std::optional<CriticalAction> ParseCriticalAction(std::string_view text) {
  if (text.starts_with(kCommandPrefix)) {
    const std::string_view command = text.substr(kCommandPrefix.size());
    // A NUL would end the shell's argument early: the command run would not be the one named.
    if (IsBlank(command) || command.find('\0') != std::string_view::npos) return std::nullopt;
    return CriticalAction{CriticalAction::Kind::Command, std::string(command)};
  }
  for (const NamedAction& named : kSystemActions) {
    if (text == named.word) return CriticalAction{named.kind, {}};
  }
  return std::nullopt;
}

std::string CriticalActionDoing(const CriticalAction& action) {
  for (const NamedAction& named : kSystemActions) {
    if (action.kind == named.kind) return named.doing;
  }
  std::string doing = "Running \"";
  doing += ShortScreenText(action.command, kShownCommandCharacters);
  doing += '"';
  return doing;
}
