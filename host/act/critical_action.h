// What the service does when the charge falls to the critical level on battery, as a user names it
// on the command line or in the home-screen file, and as the warnings tell it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct CriticalAction {
  enum class Kind { Hibernate, HybridSleep, Suspend, PowerOff, Command };
  Kind kind;
  std::string command;  // Kind::Command: the command line run through /bin/sh -c
  bool operator==(const CriticalAction&) const = default;
};

// "hibernate", "hybrid-sleep", "suspend", "poweroff", or "command:" followed by a command that is
// not blank; nullopt for anything else (other spellings and cases included).
std::optional<CriticalAction> ParseCriticalAction(std::string_view text);

inline constexpr const char* kCriticalActionForm =
    "hibernate, hybrid-sleep, suspend, poweroff or command:COMMAND";

// The action as the start of a sentence for the countdown and the messages: "Hibernating",
// "Going into hybrid sleep", "Suspending", "Powering off", "Running \"COMMAND\"" (the command made
// printable, cut to kShownCommandCharacters characters, "..." marking a cut).
std::string CriticalActionDoing(const CriticalAction& action);

inline constexpr size_t kShownCommandCharacters = 60;
