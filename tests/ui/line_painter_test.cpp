#include "ui/line_painter.h"

#include "platform/gdi/canvas.h"
#include "tests/fakes/recording_canvas.h"
#include "tests/tracking/tracking_fixture.h"

namespace {

class LinePainter : public TrackingFixture {
 protected:
  LinePainter() {
    state.colours = ColourSet{RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)};
    state.StatusText = TEXT("old");
  }
  PluginEvent PaintEvent(bool selected) const {
    return MakePaintEvent(dc.eventWord(), selected, kLine);
  }
  static constexpr RECT kLine = {0, 40, 240, 60};
  static constexpr UINT kFormat = DT_SINGLELINE | DT_VCENTER;
  RecordingCanvas canvas;
  ScopedDeviceContext dc{canvas};
};

TEST_F(LinePainter, ASelectedLineIsFilledThenDrawnInTheHighlightTextColour) {
  PaintLine(state, PaintEvent(true));
  EXPECT_EQ(canvas.calls(), (std::vector<std::string>{
                                RecordedBrushCreated(RGB(7, 8, 9)),
                                RecordedFill(kLine, RGB(7, 8, 9)),
                                RecordedBrushDeleted(RGB(7, 8, 9)),
                                RecordedTextColour(RGB(4, 5, 6)),
                                RecordedText(u" 85%, hrs: 0.0/-?-", kLine, kFormat),
                            }));
  EXPECT_EQ(state.OnPaintCalled, 1);
}

TEST_F(LinePainter, AnyNonZeroSelectedFlagSelects) {
  for (DWORD selected : {2u, 0x100u, 0x80000000u}) {
    PluginEvent event = PaintEvent(false);
    event.paint.selected = selected;
    const size_t before = canvas.calls().size();
    PaintLine(state, event);
    ASSERT_EQ(canvas.calls().size(), before + 5) << selected;
    EXPECT_EQ(canvas.calls()[before + 1], RecordedFill(kLine, RGB(7, 8, 9))) << selected;
    EXPECT_EQ(canvas.calls()[before + 3], RecordedTextColour(RGB(4, 5, 6))) << selected;
  }
}

TEST_F(LinePainter, AnUnselectedLineLeavesTheBackgroundAlone) {
  PaintLine(state, PaintEvent(false));
  EXPECT_EQ(canvas.calls(), (std::vector<std::string>{
                                RecordedTextColour(RGB(1, 2, 3)),
                                RecordedText(u" 85%, hrs: 0.0/-?-", kLine, kFormat),
                            }));
}

TEST_F(LinePainter, WithoutABrushTheTextIsStillDrawn) {
  canvas.RefuseBrushes(true);
  PaintLine(state, PaintEvent(true));
  EXPECT_EQ(canvas.calls(), (std::vector<std::string>{
                                RecordedBrushRefused(RGB(7, 8, 9)),
                                RecordedTextColour(RGB(4, 5, 6)),
                                RecordedText(u" 85%, hrs: 0.0/-?-", kLine, kFormat),
                            }));
}

TEST_F(LinePainter, EveryPaintCountsAndUpdatesEvenWhenTheStatusIsUnknown) {
  power.failing = true;
  PaintLine(state, PaintEvent(false));
  PaintLine(state, PaintEvent(true));
  EXPECT_EQ(state.OnPaintCalled, 2);
  EXPECT_EQ(canvas.calls().back(), RecordedText(u"Battery status unknown", kLine, kFormat));
  EXPECT_EQ(power.reads, 2);
}

TEST_F(LinePainter, APaintCanBeTheMomentTheHourlySampleIsTaken) {
  At(10, 20);
  PaintLine(state, PaintEvent(false));
  At(12, 0, 0, 1);
  power.OnBattery(80);
  PaintLine(state, PaintEvent(false));
  EXPECT_EQ(state.PercentSeries, std::vector<BYTE>{5});
}

// Notes the status line at each repaint request, so the order of update and request shows.
class StatusAtRepaint : public TestHostEnvironment {
 public:
  explicit StatusAtRepaint(const PluginState& state) : state_(state) {}
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) override {
    seen.push_back(NarrowUtf8(state_.StatusText));
    return TestHostEnvironment::RequestRepaint(handle, flags);
  }
  std::vector<std::string> seen;

 private:
  const PluginState& state_;
};

TEST_F(LinePainter, NavigationKeysRefreshAndAskForOneRepaint) {
  StatusAtRepaint environment(state);
  state.hostEnvironment = &environment;
  state.handle = 3;
  RefreshOnKey(state);
  EXPECT_EQ(environment.seen, std::vector<std::string>{" 85%, hrs: 0.0/-?-"});  // updated first
  ASSERT_EQ(environment.repaints.size(), 1u);
  EXPECT_EQ(environment.repaints[0].handle, 3u);
  EXPECT_EQ(environment.repaints[0].argument, 0u);
  state.hostEnvironment = nullptr;
  RefreshOnKey(state);  // no host held: nothing to ask
  EXPECT_EQ(environment.repaints.size(), 1u);
}

}  // namespace
