#include "host/hosting/line_canvas.h"
#include "host/hosting/status_line.h"

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kDefaultText = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kHighlight = RGB(0x10, 0x20, 0xC0);
constexpr COLORREF kHighlightText = RGB(0xFF, 0xFF, 0xE0);

TEST(LineCanvas, KeepsWhatAPaintDrewThroughTheDeviceContext) {
  LineCanvas canvas(kDefaultText);
  ScopedDeviceContext dc(canvas);
  RECT line = {0, 0, 240, 20};

  HBRUSH brush = CreateSolidBrush(kHighlight);
  FillRect(dc.handle(), &line, brush);
  DeleteObject(brush);
  SetTextColor(dc.handle(), RGB(1, 2, 3));
  SetTextColor(dc.handle(), kHighlightText);
  DrawTextW(dc.handle(), TEXT("old"), -1, &line, DT_SINGLELINE | DT_VCENTER);
  EXPECT_EQ(
      DrawTextW(dc.handle(), TEXT(" 62%, hrs: 9.1 (3.5)"), 4, &line, DT_SINGLELINE | DT_VCENTER),
      1);

  EXPECT_EQ(canvas.fill(), kHighlight);
  EXPECT_EQ(canvas.textColour(), kHighlightText);
  EXPECT_EQ(canvas.text(), u" 62%");
}

TEST(LineCanvas, ClearForgetsThePreviousPaint) {
  LineCanvas canvas(kDefaultText);
  EXPECT_EQ(canvas.fill(), std::nullopt);
  EXPECT_EQ(canvas.textColour(), kDefaultText);

  ScopedDeviceContext dc(canvas);
  RECT line = {0, 0, 240, 20};
  HBRUSH brush = CreateSolidBrush(kHighlight);
  FillRect(dc.handle(), &line, brush);
  DeleteObject(brush);
  SetTextColor(dc.handle(), kHighlightText);
  DrawTextW(dc.handle(), TEXT("text"), -1, &line, DT_SINGLELINE);
  canvas.Clear();

  EXPECT_EQ(canvas.fill(), std::nullopt);
  EXPECT_EQ(canvas.textColour(), kDefaultText);
  EXPECT_EQ(canvas.text(), u"");
}

}  // namespace

TEST(RenderStatusLine, PlainUtf8WithoutTheLeadingBlank) {
  EXPECT_EQ(RenderStatusLine(u" 62%, hrs: 9.1 (3.5)"), "62%, hrs: 9.1 (3.5)");
  EXPECT_EQ(RenderStatusLine(u"N/A (online)"), "N/A (online)");
  EXPECT_EQ(RenderStatusLine(u"  25.3\u00B0C\x1b[0m"), "25.3\u00B0C\uFFFD[0m");
  EXPECT_EQ(RenderStatusLine(u"  "), "");
}
