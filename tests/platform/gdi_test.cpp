#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gdi/brush_monitor.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/system_palette.h"
#include "tests/fakes/recording_canvas.h"

namespace {

using Calls = std::vector<std::string>;

constexpr RECT kLine = {0, 40, 240, 60};
constexpr COLORREF kHighlight = RGB(0x10, 0x20, 0xC0);
constexpr COLORREF kHighlightText = RGB(0xFF, 0xFF, 0xE0);

TEST(Gdi, SelectedPaintReachesTheCanvasInOrderAndFreesItsBrush) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  const size_t brushesBefore = LiveBrushCount();
  RECT line = kLine;

  HBRUSH brush = CreateSolidBrush(kHighlight);
  ASSERT_NE(brush, nullptr);
  EXPECT_EQ(LiveBrushCount(), brushesBefore + 1);
  EXPECT_NE(FillRect(dc.handle(), &line, brush), 0);
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(SetTextColor(dc.handle(), kHighlightText), RGB(0, 0, 0));
  EXPECT_NE(DrawTextW(dc.handle(), TEXT(" 62%, hrs: 9.1 (3.5)"), -1, &line,
                      DT_SINGLELINE | DT_VCENTER | DT_LEFT),
            0);

  EXPECT_EQ(LiveBrushCount(), brushesBefore);
  EXPECT_EQ(canvas.calls(),
            (Calls{RecordedBrushCreated(kHighlight), RecordedFill(kLine, kHighlight),
                   RecordedBrushDeleted(kHighlight), RecordedTextColour(kHighlightText),
                   RecordedText(u" 62%, hrs: 9.1 (3.5)", kLine, 0x24)}));
}

TEST(Gdi, RefusedBrushIsNullAndCannotFill) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  canvas.RefuseBrushes(true);
  const size_t brushesBefore = LiveBrushCount();

  HBRUSH brush = CreateSolidBrush(kHighlight);
  EXPECT_EQ(brush, nullptr);
  EXPECT_EQ(FillRect(dc.handle(), &kLine, brush), 0);
  EXPECT_EQ(LiveBrushCount(), brushesBefore);
  EXPECT_EQ(canvas.calls(), (Calls{RecordedBrushRefused(kHighlight)}));
}

TEST(Gdi, TextColourAnswersThePreviousOneOfThatDeviceContext) {
  RecordingCanvas first, second;
  ScopedDeviceContext firstDc(first), secondDc(second);

  EXPECT_EQ(SetTextColor(firstDc.handle(), RGB(1, 2, 3)), RGB(0, 0, 0));
  EXPECT_EQ(SetTextColor(firstDc.handle(), RGB(4, 5, 6)), RGB(1, 2, 3));
  EXPECT_EQ(SetTextColor(secondDc.handle(), RGB(7, 8, 9)), RGB(0, 0, 0));
  EXPECT_EQ(second.calls(), (Calls{RecordedTextColour(RGB(7, 8, 9))}));
}

TEST(Gdi, EventWordLeadsBackToTheSameDeviceContext) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  HDC fromEvent = HdcFromEventWord(dc.eventWord());

  EXPECT_EQ(fromEvent, dc.handle());
  EXPECT_NE(SetTextColor(fromEvent, RGB(9, 9, 9)), CLR_INVALID);
  EXPECT_EQ(canvas.calls(), (Calls{RecordedTextColour(RGB(9, 9, 9))}));
}

TEST(Gdi, DeletedBrushIsNoLongerUsable) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  HBRUSH brush = CreateSolidBrush(kHighlight);
  ASSERT_TRUE(DeleteObject(brush));

  EXPECT_EQ(FillRect(dc.handle(), &kLine, brush), 0);
  EXPECT_FALSE(DeleteObject(brush));
  EXPECT_EQ(canvas.calls(),
            (Calls{RecordedBrushCreated(kHighlight), RecordedBrushDeleted(kHighlight)}));
}

TEST(Gdi, UnknownOrClosedDeviceContextFailsEveryCall) {
  RecordingCanvas canvas;
  HBRUSH brush = CreateSolidBrush(kHighlight);
  RECT line = kLine;
  HDC closed;
  {
    ScopedDeviceContext dc(canvas);
    closed = dc.handle();
  }
  const HDC unknownDcs[] = {nullptr, closed, HdcFromEventWord(0xDEADBEEF),
                            reinterpret_cast<HDC>(brush)};
  for (HDC dc : unknownDcs) {
    SCOPED_TRACE(dc);
    EXPECT_EQ(FillRect(dc, &line, brush), 0);
    EXPECT_EQ(SetTextColor(dc, RGB(1, 1, 1)), CLR_INVALID);
    EXPECT_EQ(DrawTextW(dc, TEXT("x"), -1, &line, DT_SINGLELINE), 0);
  }
  EXPECT_TRUE(DeleteObject(brush));
  EXPECT_EQ(canvas.calls(),
            (Calls{RecordedBrushCreated(kHighlight), RecordedBrushDeleted(kHighlight)}));
}

TEST(Gdi, DeviceContextIsNotABrush) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);

  EXPECT_EQ(FillRect(dc.handle(), &kLine, reinterpret_cast<HBRUSH>(dc.handle())), 0);
  EXPECT_FALSE(DeleteObject(dc.handle()));
  EXPECT_NE(SetTextColor(dc.handle(), RGB(1, 1, 1)), CLR_INVALID);
}

TEST(Gdi, HandleWiderThanThirtyTwoBitsIsNotTruncatedOntoALiveOne) {
  if constexpr (sizeof(void*) > 4) {
    RecordingCanvas canvas;
    ScopedDeviceContext dc(canvas);
    const uintptr_t widened = (uintptr_t{1} << 32) | dc.eventWord();
    EXPECT_EQ(SetTextColor(reinterpret_cast<HDC>(widened), RGB(1, 1, 1)), CLR_INVALID);
    EXPECT_TRUE(canvas.calls().empty());
  }
}

TEST(Gdi, DrawTextTakesTheLengthOrTheTerminator) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  RECT line = kLine;
  const WCHAR* text = TEXT("N/A (online)");

  EXPECT_NE(DrawTextW(dc.handle(), text, -1, &line, DT_LEFT), 0);
  EXPECT_NE(DrawTextW(dc.handle(), text, 3, &line, DT_LEFT), 0);
  EXPECT_NE(DrawTextW(dc.handle(), TEXT(""), -1, &line, DT_LEFT), 0);
  EXPECT_EQ(canvas.calls(),
            (Calls{RecordedText(u"N/A (online)", kLine, DT_LEFT),
                   RecordedText(u"N/A", kLine, DT_LEFT), RecordedText(u"", kLine, DT_LEFT)}));
}

TEST(Gdi, DrawTextRefusesMissingTextRectangleOrNegativeLength) {
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  RECT line = kLine;

  EXPECT_EQ(DrawTextW(dc.handle(), nullptr, -1, &line, DT_LEFT), 0);
  EXPECT_EQ(DrawTextW(dc.handle(), TEXT("x"), -1, nullptr, DT_LEFT), 0);
  EXPECT_EQ(DrawTextW(dc.handle(), TEXT("x"), -2, &line, DT_LEFT), 0);
  EXPECT_EQ(FillRect(dc.handle(), nullptr, nullptr), 0);
  EXPECT_TRUE(canvas.calls().empty());
}

TEST(Gdi, ColourMacrosSplitTheDeviceLayout) {
  const COLORREF colour = RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(colour, 0x00563412u);
  EXPECT_EQ(GetRValue(colour), 0x12);
  EXPECT_EQ(GetGValue(colour), 0x34);
  EXPECT_EQ(GetBValue(colour), 0x56);
}

TEST(SystemPalette, DefaultAnswersWithAndWithoutTheIndexFlag) {
  for (int index : {COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_STATICTEXT}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(GetSysColor(index | SYS_COLOR_INDEX_FLAG), GetSysColor(index));
  }
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT | SYS_COLOR_INDEX_FLAG), RGB(0, 0, 128));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT | SYS_COLOR_INDEX_FLAG), RGB(255, 255, 255));
  EXPECT_EQ(GetSysColor(COLOR_STATICTEXT | SYS_COLOR_INDEX_FLAG), RGB(0, 0, 0));
  EXPECT_EQ(GetSysColor(99 | SYS_COLOR_INDEX_FLAG), 0u);
  EXPECT_EQ(GetSysColor(-1), 0u);
}

TEST(SystemPalette, InstalledPaletteAnswersUntilItsGuardEnds) {
  const COLORREF defaultHighlight = GetSysColor(COLOR_HIGHLIGHT);
  {
    FixedSystemPalette palette({{COLOR_HIGHLIGHT, RGB(1, 2, 3)}, {COLOR_STATICTEXT, RGB(4, 5, 6)}});
    ScopedSystemPalette installed(palette);
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT | SYS_COLOR_INDEX_FLAG), RGB(1, 2, 3));
    EXPECT_EQ(GetSysColor(COLOR_STATICTEXT), RGB(4, 5, 6));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT | SYS_COLOR_INDEX_FLAG), 0u);
  }
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), defaultHighlight);
}

}  // namespace
