#include "host/front/terminal/terminal_message_boxes.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace {

// Records what the screen showed and answers keys from a script; an empty script is closed input.
class ScriptedTerminal {
 public:
  explicit ScriptedTerminal(std::deque<std::optional<KeyPress>> keys) : keys_(std::move(keys)) {}

  TerminalMessageBoxes MessageBoxes(std::function<ScreenSize()> screenSize = {}) {
    return TerminalMessageBoxes(
        [this](const std::optional<MessageDialog>& dialog) { shown.push_back(dialog); },
        [this]() -> std::optional<KeyPress> {
          ++keysRead;
          if (keys_.empty()) return std::nullopt;
          const std::optional<KeyPress> key = keys_.front();
          keys_.pop_front();
          return key;
        },
        std::move(screenSize));
  }

  std::vector<std::optional<MessageDialog>> shown;
  int keysRead = 0;

 private:
  std::deque<std::optional<KeyPress>> keys_;
};

TEST(TerminalMessageBoxes, StaysOpenUntilAClosingKeyThenClosesAndAnswersOk) {
  ScriptedTerminal terminal({KeyPress{Key::Char, 'x'}, KeyPress{Key::Left}, KeyPress{Key::Tab},
                             KeyPress{Key::Enter}, KeyPress{Key::Enter}});
  TerminalMessageBoxes boxes = terminal.MessageBoxes();
  ScopedMessageBoxSink sink(boxes);

  EXPECT_EQ(MessageBoxW(nullptr, u"Battery status unknown", u"CZelvarPlugin", MB_OK | MB_ICONERROR),
            IDOK);

  EXPECT_EQ(terminal.keysRead, 4);
  ASSERT_EQ(terminal.shown.size(), 2u);
  ASSERT_TRUE(terminal.shown[0].has_value());
  EXPECT_EQ(terminal.shown[0]->text, u"Battery status unknown");
  EXPECT_EQ(terminal.shown[0]->caption, u"CZelvarPlugin");
  EXPECT_EQ(terminal.shown[0]->type, UINT{MB_ICONERROR});
  EXPECT_FALSE(terminal.shown[1].has_value());
}

TEST(TerminalMessageBoxes, EscapeSpaceQuitAndClosedInputEachClose) {
  for (const std::optional<KeyPress> key :
       {std::optional<KeyPress>{KeyPress{Key::Escape}},
        std::optional<KeyPress>{KeyPress{Key::Space}}, std::optional<KeyPress>{KeyPress{Key::Quit}},
        std::optional<KeyPress>{}}) {
    ScriptedTerminal terminal({key});
    EXPECT_EQ(terminal.MessageBoxes().Show(u"text", u"caption", MB_OK), IDOK);
    EXPECT_EQ(terminal.keysRead, 1);
    ASSERT_EQ(terminal.shown.size(), 2u);
    EXPECT_FALSE(terminal.shown[1].has_value());
  }
}

TEST(TerminalMessageBoxes, UpAndDownScrollATallTextWithinItsRows) {
  const KeyPress up{Key::Up}, down{Key::Down};
  ScriptedTerminal terminal({up, down, down, down, down, up, KeyPress{Key::Enter}});
  // Six text rows on a screen with room for three: the scroll row goes from 0 to 3.
  const ScreenSize screen{30, 13};

  terminal.MessageBoxes([screen] { return screen; }).Show(u"1\n2\n3\n4\n5\n6", u"", MB_OK);

  std::vector<int> scrolls;
  for (const std::optional<MessageDialog>& dialog : terminal.shown) {
    if (dialog) scrolls.push_back(dialog->scroll);
  }
  EXPECT_EQ(scrolls, (std::vector<int>{0, 1, 2, 3, 2}));
  EXPECT_FALSE(terminal.shown.back().has_value());
}

}  // namespace
