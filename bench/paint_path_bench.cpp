// One PE_PAINT through the plug-in object, with the simulated clock and battery, against the least
// any paint has to do: a power record read once beforehand, formatted into a fixed buffer and drawn.
// The two run in the same program, so their ratio holds on any machine.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "platform/gdi/canvas.h"
#include "platform/power/power_source_simulated.h"
#include "platform/time/simulated_clock.h"
#include "plugin/zelvar_plugin.h"

namespace {

class NullCanvas : public Canvas {
 public:
  void FillRectangle(const RECT&, COLORREF) override {}
  void SetTextColour(COLORREF) override {}
  int DrawText(const RECT&, WStringView text, UINT) override { return static_cast<int>(text.size()); }
};

SYSTEMTIME Noon() {
  SYSTEMTIME t{};
  t.wYear = 2026;
  t.wMonth = 3;
  t.wDay = 2;
  t.wHour = 11;
  t.wMinute = 50;
  return t;
}

constexpr LONGLONG kTwoAndAHalfHoursMs = 150 * 60 * 1000;

// The clock, the battery and the device context a paint runs with.
struct PaintSetting {
  SimulatedClock clock{Noon(), 60};
  ScopedClock clockGuard{clock};
  SimulatedBattery battery{90.0};
  ScopedPowerSource batteryGuard{battery};
  NullCanvas canvas;
  ScopedDeviceContext dc{canvas};
};

// The on-battery period started two and a half hours ago and its first hourly sample is taken by
// the first measured paint, so the line shows the estimate from the statistics: " 82%, hrs: ...
// (2.5)". The clock stands still from then on and no further sample falls due.
void BM_PaintThroughThePlugin(benchmark::State& run) {
  PaintSetting setting;
  auto* plugin = new CZelvarPlugin;
  plugin->Initialize(1, nullptr);  // every setting at its default
  PluginEvent paint = MakePaintEvent(setting.dc.eventWord(), run.range(0) != 0, RECT{0, 0, 240, kPluginLineHeight});
  plugin->OnEvent(&paint);
  setting.clock.AdvanceMilliseconds(kTwoAndAHalfHoursMs);
  for (auto _ : run) plugin->OnEvent(&paint);
  run.SetLabel(NarrowUtf8(plugin->state().StatusText));
  plugin->Release();
}
BENCHMARK(BM_PaintThroughThePlugin)->ArgName("selected")->Arg(0)->Arg(1);

// The baseline: the cached record's line formatted once per paint into a fixed buffer, widened and
// drawn with the same colour calls.
void BM_PaintBaseline(benchmark::State& run) {
  PaintSetting setting;
  setting.clock.AdvanceMilliseconds(kTwoAndAHalfHoursMs);
  SYSTEM_POWER_STATUS_EX2 record;
  setting.battery.Read(record, false);
  const HDC dc = HdcFromEventWord(setting.dc.eventWord());
  RECT line{0, 0, 240, kPluginLineHeight};
  const double estimate = 9.1, elapsed = 2.5;
  for (auto _ : run) {
    char narrow[256];
    const int length = std::snprintf(narrow, sizeof narrow, " %d%%, hrs: %.1f (%.1f)",
                                     static_cast<int>(record.BatteryLifePercent), estimate, elapsed);
    WCHAR wide[256];
    for (int i = 0; i <= length; ++i) wide[i] = static_cast<unsigned char>(narrow[i]);
    if (run.range(0) != 0) {
      const HBRUSH brush = CreateSolidBrush(RGB(0, 0, 128));
      FillRect(dc, &line, brush);
      DeleteObject(brush);
    }
    SetTextColor(dc, RGB(255, 255, 255));
    DrawTextW(dc, wide, -1, &line, DT_SINGLELINE | DT_VCENTER);
    benchmark::DoNotOptimize(wide);
  }
}
BENCHMARK(BM_PaintBaseline)->ArgName("selected")->Arg(0)->Arg(1);

}  // namespace
