// PE_PAINT into a bitmap: the selected line filled with the highlight colour, the unselected one
// left on the host's background, the text in the matching colour, nothing outside the rectangle,
// in the host's colours and in the system's.
#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"

namespace {

constexpr PluginHandle kHandle = 9;
constexpr LONG kWidth = 300;
constexpr LONG kHeight = 30;
constexpr RECT kLine = {10, 4, 290, 26};
constexpr COLORREF kBackground = RGB(240, 240, 240);

struct Colours {
  COLORREF text;
  COLORREF highlightText;
  COLORREF highlight;
};

LONG CountPixels(const PaintSurface& surface, const RECT& area, COLORREF colour) {
  LONG count = 0;
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) count += surface.PixelAt(x, y) == colour ? 1 : 0;
  }
  return count;
}

void CheckOutsideUntouched(CheckReport& report, const PaintSurface& surface,
                           const std::string& what) {
  const LONG outside = kWidth * kHeight - (kLine.right - kLine.left) * (kLine.bottom - kLine.top);
  const RECT all = {0, 0, kWidth, kHeight};
  const LONG backgroundOutside =
      CountPixels(surface, all, kBackground) - CountPixels(surface, kLine, kBackground);
  report.Equal(backgroundOutside, outside,
               what + ": nothing is drawn outside the line's rectangle");
}

void CheckPaints(HostDriver& driver, CheckReport& report, PluginUnderTest& plugin,
                 const Colours& colours, const std::string& what) {
  // The text is short: the right end of the line stays free of it.
  const RECT rightEnd = {kLine.right - 40, kLine.top, kLine.right, kLine.bottom};
  const LONG rightEndArea = (rightEnd.right - rightEnd.left) * (rightEnd.bottom - rightEnd.top);

  std::unique_ptr<PaintSurface> selected = driver.NewSurface(kWidth, kHeight, kBackground);
  report.EqualResult(plugin.Paint(*selected, true, kLine), S_OK, what + ": selected PE_PAINT");
  report.Equal(CountPixels(*selected, rightEnd, colours.highlight), rightEndArea,
               what + ": the selected line is filled with the highlight colour");
  report.Check(CountPixels(*selected, kLine, colours.highlightText) > 0,
               what + ": the selected line's text is drawn in the highlight text colour");
  CheckOutsideUntouched(report, *selected, what + ", selected");

  std::unique_ptr<PaintSurface> plain = driver.NewSurface(kWidth, kHeight, kBackground);
  report.EqualResult(plugin.Paint(*plain, false, kLine), S_OK, what + ": unselected PE_PAINT");
  report.Equal(CountPixels(*plain, rightEnd, kBackground), rightEndArea,
               what + ": the unselected line keeps the host's background");
  report.Check(CountPixels(*plain, kLine, colours.text) > 0,
               what + ": the unselected line's text is drawn in the text colour");
  report.Equal(CountPixels(*plain, kLine, colours.highlight), LONG{0},
               what + ": the unselected line has no highlight");
  CheckOutsideUntouched(report, *plain, what + ", unselected");
}

}  // namespace

void CheckPainting(HostDriver& driver, CheckReport& report) {
  report.Group("painting");
  const Colours host = {RGB(200, 0, 0), RGB(0, 160, 0), RGB(0, 0, 200)};
  {
    TestColourLookup lookup;
    lookup.WithColour(TEXT("COLOR_HOMETEXT"), host.text)
        .WithColour(TEXT("COLOR_HOMEHIGHLIGHTTEXT"), host.highlightText)
        .WithColour(TEXT("COLOR_HOMEHIGHLIGHT"), host.highlight);
    TestHostEnvironment environment(&lookup);
    TestSite site(&environment);
    PluginUnderTest plugin(driver, report, &site);
    plugin.Initialize(kHandle, {{TEXT("StatFilename"), driver.FileNameInRunFolder("paint.dat")},
                                {TEXT("ExpertMode"), TEXT("1")}});
    plugin.Load(plugin.Save());
    CheckPaints(driver, report, plugin, host, "host colours");
    report.Check(environment.repaints.empty() && environment.timers.size() == 1,
                 "painting asks nothing of the host");
    PluginEvent action{};
    action.type = PE_ACTION;
    plugin.Event(action);
    const std::vector<ShownMessage> messages = driver.TakeMessages();
    report.Check(messages.size() == 1 &&
                     messages[0].text.find(TEXT("\nOnPaintCalled: 2\n")) != WString::npos,
                 "the expert report counts both paints");
  }
  {
    // Without HostColourLookup the line takes the system's colours, given by their bare indices.
    const Colours system = {GetSysColor(COLOR_STATICTEXT), GetSysColor(COLOR_HIGHLIGHTTEXT),
                            GetSysColor(COLOR_HIGHLIGHT)};
    TestHostEnvironment environment;
    TestSite site(&environment);
    PluginUnderTest plugin(driver, report, &site);
    plugin.Initialize(kHandle, {{TEXT("StatFilename"), driver.FileNameInRunFolder("paint.dat")}});
    plugin.Load(plugin.Save());
    report.Check(system.highlight != system.highlightText && system.highlight != kBackground &&
                     system.text != kBackground,
                 "the system colours can be told apart on the test background");
    CheckPaints(driver, report, plugin, system, "system colours");
  }
  report.Check(driver.TakeMessages().empty(), "painting shows no message");
}
