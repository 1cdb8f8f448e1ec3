// The critical action: its names, its words, and its taking against a stand-in logind on a private
// system bus and a real shell.
#include "host/act/critical_action.h"

#include <gtest/gtest.h>

#include "host/act/critical_action_taker.h"

namespace {

using Kind = CriticalAction::Kind;

TEST(CriticalActionTest, ParsesTheFourWordsAndACommandNothingElse) {
  const struct {
    std::string text;
    std::optional<CriticalAction> action;
  } cases[] = {
      {"hibernate", CriticalAction{Kind::Hibernate, ""}},
      {"hybrid-sleep", CriticalAction{Kind::HybridSleep, ""}},
      {"suspend", CriticalAction{Kind::Suspend, ""}},
      {"poweroff", CriticalAction{Kind::PowerOff, ""}},
      {"command:systemctl hibernate", CriticalAction{Kind::Command, "systemctl hibernate"}},
      // The command is the shell's to read, blanks and colons included.
      {"command: a:b ", CriticalAction{Kind::Command, " a:b "}},
      {"command:", std::nullopt},
      {"command: \t\n\v\f\r", std::nullopt},
      {std::string("command:a\0b", 11), std::nullopt},
      {"command", std::nullopt},
      {"Command:ls", std::nullopt},
      {"Hibernate", std::nullopt},
      {" hibernate", std::nullopt},
      {"hibernate ", std::nullopt},
      {"power-off", std::nullopt},
      {"hybrid_sleep", std::nullopt},
      {"hibernate:x", std::nullopt},
      {" command:ls", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseCriticalAction(c.text), c.action) << c.text;
}

TEST(CriticalActionTest, SaysWhatItDoesTheCommandPrintableAndShort) {
  const struct {
    Kind kind;
    const char* command;
    const char* doing;
  } cases[] = {
      {Kind::Hibernate, "", "Hibernating"},
      {Kind::HybridSleep, "", "Going into hybrid sleep"},
      {Kind::Suspend, "", "Suspending"},
      {Kind::PowerOff, "", "Powering off"},
      {Kind::Command, "backup --now", "Running \"backup --now\""},
      {Kind::Command, "a\nb\x1b[2J", "Running \"a\uFFFDb\uFFFD[2J\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CriticalActionDoing({c.kind, c.command}), c.doing) << c.doing;
  // Sixty characters are shown whole; a longer command is cut, "..." marking the cut.
  const std::string sixty(60, 'x');
  EXPECT_EQ(CriticalActionDoing({Kind::Command, sixty}), "Running \"" + sixty + "\"");
  EXPECT_EQ(CriticalActionDoing({Kind::Command, sixty + "y"}),
            "Running \"" + std::string(57, 'x') + "...\"");
}

}  // namespace
