#include "host/front/terminal/dialog_box.h"

#include <algorithm>
#include <string_view>

#include "host/hosting/printable_text.h"
#include "platform/message_box/message_box.h"

namespace {

constexpr std::string_view kHorizontal = "\u2500";
constexpr std::string_view kVertical = "\u2502";
constexpr std::string_view kButton = "[ OK ]";
constexpr std::string_view kButtonStyle = "\x1b[7m";
constexpr std::string_view kReset = "\x1b[0m";
constexpr UINT kIconMask = 0xF0;

std::u32string IconWord(UINT type) {
  switch (type & kIconMask) {
    case MB_ICONERROR:
      return U"[error]";
    case MB_ICONINFORMATION:
      return U"[info]";
    default:
      return U"";
  }
}

std::string Repeat(std::string_view piece, size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += piece;
  return out;
}

std::string Padded(std::u32string text, size_t width) {
  text.resize(width, U' ');
  return EncodeUtf8(text);
}

std::string TopBorder(const WString& caption, size_t inner) {
  // "─ caption " and at least one more line segment before the corner.
  std::u32string title = ScreenCharacters(caption);
  if (title.empty()) return "\u250C" + Repeat(kHorizontal, inner) + "\u2510";
  title.resize(std::min(title.size(), inner - 4));
  return "\u250C" + std::string(kHorizontal) + " " + EncodeUtf8(title) + " " +
         Repeat(kHorizontal, inner - 3 - title.size()) + "\u2510";
}

std::string ButtonRow(size_t inner) {
  const size_t left = (inner - kButton.size()) / 2;
  const size_t right = inner - kButton.size() - left;
  return std::string(kVertical) + std::string(left, ' ') + std::string(kButtonStyle) +
         std::string(kButton) + std::string(kReset) + std::string(right, ' ') +
         std::string(kVertical);
}

size_t TextWidth(const MessageDialog& dialog, size_t inner) {
  const std::u32string icon = IconWord(dialog.type);
  const size_t iconColumn = icon.empty() ? 0 : icon.size() + 1;
  // One blank between each border and the content.
  return inner - 2 - iconColumn;
}

size_t Inner(size_t width) { return std::max<size_t>(width, 20) - 2; }

std::string BottomBorder(size_t inner, size_t first, size_t shown, size_t total) {
  if (shown == total) return "\u2514" + Repeat(kHorizontal, inner) + "\u2518";
  std::string where(" ");
  where += std::to_string(first + 1) + "-" + std::to_string(first + shown) + "/" +
           std::to_string(total) + " \u2191\u2193 ";
  // The arrows take three bytes each and one column each.
  const size_t whereColumns = where.size() - 4;
  if (whereColumns + 2 > inner) return "\u2514" + Repeat(kHorizontal, inner) + "\u2518";
  return "\u2514" + std::string(kHorizontal) + where +
         Repeat(kHorizontal, inner - 1 - whereColumns) + "\u2518";
}

}  // namespace

size_t DialogTextRowCount(const MessageDialog& dialog, size_t width) {
  return WrapLines(dialog.text, TextWidth(dialog, Inner(width))).size();
}

std::vector<std::string> RenderDialogBox(const MessageDialog& dialog, size_t width,
                                         size_t visibleTextRows) {
  const size_t inner = Inner(width);
  const std::u32string icon = IconWord(dialog.type);
  const size_t iconColumn = icon.empty() ? 0 : icon.size() + 1;
  const size_t textWidth = TextWidth(dialog, inner);
  std::vector<std::u32string> text = WrapLines(dialog.text, textWidth);
  const size_t shown = visibleTextRows == 0 ? text.size() : std::min(visibleTextRows, text.size());
  const size_t first = std::min<size_t>(std::max(dialog.scroll, 0), text.size() - shown);

  std::vector<std::string> rows{TopBorder(dialog.caption, inner)};
  for (size_t i = first; i < first + shown; ++i) {
    const std::string iconCell = Padded(i == 0 ? icon : U"", iconColumn);
    rows.push_back(std::string(kVertical) + " " + iconCell + Padded(std::move(text[i]), textWidth) +
                   " " + std::string(kVertical));
  }
  rows.push_back(std::string(kVertical) + std::string(inner, ' ') + std::string(kVertical));
  rows.push_back(ButtonRow(inner));
  rows.push_back(BottomBorder(inner, first, shown, text.size()));
  return rows;
}
