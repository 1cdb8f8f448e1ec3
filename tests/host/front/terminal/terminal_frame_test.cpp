#include "host/front/terminal/frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/message_box/message_box.h"

namespace {

const std::string kReset = "\x1b[0m";
const std::string kEraseRowEnd = "\x1b[K";

Frame LineFrame(bool selected, std::optional<COLORREF> fill) {
  Frame frame;
  frame.title = "zelvar-home";
  frame.lineText = u" 62%, hrs: 9.1 (3.5)";
  frame.lineFill = fill;
  frame.lineTextColour = RGB(0xFF, 0xFF, 0xE0);
  frame.selected = selected;
  frame.footer = "Enter report  q quit";
  frame.width = 30;
  return frame;
}

std::string Repeat(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

std::vector<std::string> Rows(const std::string& screen) {
  std::vector<std::string> rows;
  size_t start = 0;
  for (size_t end; (end = screen.find("\r\n", start)) != std::string::npos; start = end + 2) {
    rows.push_back(screen.substr(start, end - start));
  }
  rows.push_back(screen.substr(start));
  return rows;
}

TEST(RenderFrame, ReplacesTheWholeScreenRowByRow) {
  const std::vector<std::string> rows = Rows(RenderFrame(LineFrame(false, std::nullopt)));

  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0], "\x1b[H\x1b[1mzelvar-home" + kReset + kEraseRowEnd);
  EXPECT_EQ(rows[1], kEraseRowEnd);
  EXPECT_EQ(rows[3], kEraseRowEnd);
  EXPECT_EQ(rows[4], "\x1b[2mEnter report  q quit" + kReset + kEraseRowEnd + "\x1b[J");
}

TEST(RenderFrame, SelectedFilledLineSpansTheWidthInBothColours) {
  const std::string screen = RenderFrame(LineFrame(true, RGB(0x10, 0x20, 0xC0)));

  // One marker column, then the plug-in's 29 columns on its fill.
  const std::string text = " 62%, hrs: 9.1 (3.5)";
  EXPECT_EQ(Rows(screen)[2], ">\x1b[38;2;255;255;224m\x1b[48;2;16;32;192m" + text +
                                 std::string(29 - text.size(), ' ') + kReset + kEraseRowEnd);
}

TEST(RenderFrame, UnfilledLineHasNoBackgroundAndNoPadding) {
  for (const bool selected : {false, true}) {
    const std::string screen = RenderFrame(LineFrame(selected, std::nullopt));

    EXPECT_EQ(screen.find("\x1b[48;"), std::string::npos);
    EXPECT_EQ(Rows(screen)[2], std::string(selected ? ">" : " ") +
                                   "\x1b[38;2;255;255;224m 62%, hrs: 9.1 (3.5)" + kReset +
                                   kEraseRowEnd);
  }
}

TEST(RenderFrame, LineTextIsUtf8CutAtTheWidthWithControlsNeutralised) {
  Frame frame = LineFrame(false, std::nullopt);
  frame.width = 12;  // drawn as the 20 columns of the narrowest frame
  frame.lineText = u"25.3\u00B0C \x1b[2J\n\u009B\U0001F50B x123456789";
  frame.title = "a\x1b]0;owned\x07";

  const std::vector<std::string> rows = Rows(RenderFrame(frame));

  EXPECT_EQ(rows[2], " \x1b[38;2;255;255;224m25.3\u00B0C \uFFFD[2J\uFFFD\uFFFD\U0001F50B x123" +
                         kReset + kEraseRowEnd);
  EXPECT_EQ(rows[0], "\x1b[H\x1b[1ma\uFFFD]0;owned\uFFFD" + kReset + kEraseRowEnd);
}

TEST(RenderFrame, DialogIsBoxedWithCaptionIconWrappedTextAndOk) {
  Frame frame = LineFrame(false, std::nullopt);
  frame.width = 24;
  frame.dialog =
      MessageDialog{u"CZelvarPlugin", u"Zelvar plugin v0.1\r\nBatteryTemperature: 25.3\u00B0C",
                    MB_ICONINFORMATION};

  const std::vector<std::string> rows = Rows(RenderFrame(frame));

  const std::vector<std::string> box = {
      "\u250C\u2500 CZelvarPlugin \u2500\u2500\u2500\u2500\u2500\u2500\u2510",
      "\u2502 [info] Zelvar plugin \u2502",
      "\u2502        v0.1          \u2502",
      "\u2502        BatteryTemper \u2502",
      "\u2502        ature: 25.3\u00B0C \u2502",
      "\u2502                      \u2502",
      "\u2502        \x1b[7m[ OK ]\x1b[0m        \u2502",
      "\u2514" + Repeat("\u2500", 22) + "\u2518",
  };
  ASSERT_EQ(rows.size(), 5u + box.size() + 1);
  for (size_t i = 0; i < box.size(); ++i) EXPECT_EQ(rows[4 + i], box[i] + kEraseRowEnd) << i;
  EXPECT_EQ(rows[4 + box.size()], kEraseRowEnd);
}

TEST(RenderFrame, DialogIconWordFollowsTheType) {
  Frame frame = LineFrame(false, std::nullopt);
  frame.width = 40;
  frame.dialog = MessageDialog{u"CZelvarPlugin", u"Battery status unknown", MB_OK | MB_ICONERROR};
  EXPECT_EQ(Rows(RenderFrame(frame))[5].rfind("\u2502 [error] Battery status unknown ", 0), 0u);

  frame.dialog->text = u"Version of Stat file is wrong";
  frame.dialog->type = MB_OK;
  EXPECT_EQ(Rows(RenderFrame(frame))[5].rfind("\u2502 Version of Stat file is wrong ", 0), 0u);
}

TEST(RenderFrame, DialogTallerThanTheScreenShowsTheRowsFromItsScrollRow) {
  Frame frame = LineFrame(false, std::nullopt);
  frame.height = 13;  // room for three text rows
  frame.dialog = MessageDialog{u"", u"1\n2\n3\n4\n5\n6", MB_OK};
  EXPECT_EQ(DialogScrollLimit(*frame.dialog, frame.width, frame.height), 3);
  EXPECT_EQ(DialogScrollLimit(*frame.dialog, frame.width, 0), 0);

  for (const int scroll : {1, 99}) {
    frame.dialog->scroll = scroll;
    const std::vector<std::string> rows = Rows(RenderFrame(frame));
    const int first = std::min(scroll, 3);

    ASSERT_EQ(rows.size(), 13u);
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(rows[5 + i].substr(0, 5), "\u2502 " + std::to_string(first + 1 + i));
    }
    EXPECT_EQ(rows[10], "\u2514\u2500 " + std::to_string(first + 1) + "-" +
                            std::to_string(first + 3) + "/6 \u2191\u2193 " + Repeat("\u2500", 17) +
                            "\u2518" + kEraseRowEnd);
  }
}

}  // namespace
