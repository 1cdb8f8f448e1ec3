#include "host/front/terminal/frame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "host/front/terminal/dialog_box.h"
#include "host/hosting/printable_text.h"

namespace {

constexpr size_t kMinimumWidth = 20;
// Title, blank, line, blank; the box's top, its blank and button rows and its bottom; blank,
// footer.
constexpr int kRowsBesideDialogText = 10;
constexpr const char* kHome = "\x1b[H";
constexpr const char* kEraseRowEnd = "\x1b[K";
constexpr const char* kEraseBelow = "\x1b[J";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kReset = "\x1b[0m";

size_t FrameWidth(int width) { return std::max<size_t>(kMinimumWidth, std::max(width, 0)); }

// 0: all of them.
size_t VisibleDialogRows(int height) {
  return height <= 0 ? 0 : static_cast<size_t>(std::max(1, height - kRowsBesideDialogText));
}

std::string ColourEscape(int layer, COLORREF colour) {
  char escape[32];
  std::snprintf(escape, sizeof escape, "\x1b[%d;2;%u;%u;%um", layer, unsigned{GetRValue(colour)},
                unsigned{GetGValue(colour)}, unsigned{GetBValue(colour)});
  return escape;
}

std::u32string Cut(std::u32string text, size_t width) {
  if (text.size() > width) text.resize(width);
  return text;
}

std::string StyledRow(const char* style, const std::string& text, size_t width) {
  return style + EncodeUtf8(Cut(ScreenCharactersOfUtf8(text), width)) + kReset;
}

std::string LineRow(const Frame& frame, size_t width) {
  // The plug-in's rectangle is the row after the selection marker.
  const size_t lineWidth = width - 1;
  std::u32string text = Cut(ScreenCharacters(frame.lineText), lineWidth);
  std::string row = frame.selected ? ">" : " ";
  row += ColourEscape(38, frame.lineTextColour);
  if (frame.lineFill) {
    row += ColourEscape(48, *frame.lineFill);
    text.resize(lineWidth, U' ');
  }
  return row + EncodeUtf8(text) + kReset;
}

}  // namespace

std::string RenderFrame(const Frame& frame) {
  const size_t width = FrameWidth(frame.width);
  std::vector<std::string> rows{StyledRow(kBold, frame.title, width), "", LineRow(frame, width),
                                ""};
  if (frame.dialog) {
    for (std::string& row :
         RenderDialogBox(*frame.dialog, width, VisibleDialogRows(frame.height))) {
      rows.push_back(std::move(row));
    }
    rows.emplace_back();
  }
  rows.push_back(StyledRow(kDim, frame.footer, width));

  std::string screen = kHome;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) screen += "\r\n";
    screen += rows[i];
    screen += kEraseRowEnd;
  }
  return screen + kEraseBelow;
}

int DialogScrollLimit(const MessageDialog& dialog, int width, int height) {
  const size_t visible = VisibleDialogRows(height);
  const size_t total = DialogTextRowCount(dialog, FrameWidth(width));
  return visible == 0 || total <= visible ? 0 : static_cast<int>(total - visible);
}
