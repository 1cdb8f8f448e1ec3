// One PE_PAINT through the plug-in object, with the simulated clock and battery, against the least
// any paint has to do: a power record read once beforehand, formatted into a fixed buffer and drawn
// (with snprintf, and with to_chars as the physical limit). They run in the same program, so their
// ratios hold on any machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <string_view>

#include "bench/null_canvas.h"
#include "platform/power/power_source_simulated.h"
#include "platform/time/simulated_clock.h"
#include "plugin/zelvar_plugin.h"

namespace {

// 2026-03-02 11:50
constexpr SYSTEMTIME kNoon{2026, 3, 0, 2, 11, 50, 0, 0};

constexpr LONGLONG kTwoAndAHalfHoursMs = LONGLONG{150} * 60 * 1000;

// The clock, the battery and the device context a paint runs with.
struct PaintSetting {
  SimulatedClock clock{kNoon, 60};
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
  PluginEvent paint =
      MakePaintEvent(setting.dc.eventWord(), run.range(0) != 0, RECT{0, 0, 240, kPluginLineHeight});
  plugin->OnEvent(&paint);
  setting.clock.AdvanceMilliseconds(kTwoAndAHalfHoursMs);
  for (auto _ : run) plugin->OnEvent(&paint);
  run.SetLabel(NarrowUtf8(plugin->state().StatusText));
  plugin->Release();
}
BENCHMARK(BM_PaintThroughThePlugin)->ArgName("selected")->Arg(0)->Arg(1);

// What every baseline paint does after writing its line: widen it and draw it with the same colour
// calls as the plug-in.
void DrawLine(HDC dc, const char* narrow, int length, bool selected) {
  RECT line{0, 0, 240, kPluginLineHeight};
  WCHAR wide[256];
  for (int i = 0; i < length; ++i) wide[i] = static_cast<unsigned char>(narrow[i]);
  wide[length] = 0;
  if (selected) {
    const HBRUSH brush = CreateSolidBrush(RGB(0, 0, 128));
    FillRect(dc, &line, brush);
    DeleteObject(brush);
  }
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, wide, -1, &line, DT_SINGLELINE | DT_VCENTER);
  benchmark::DoNotOptimize(wide);
}

constexpr double kEstimate = 9.1;
constexpr double kElapsed = 2.5;

// The baseline: the cached record's line formatted once per paint into a fixed buffer with one
// snprintf, widened and drawn. (Each paint is a function of its own, so that callgrind counts its
// instructions per call.)
[[gnu::noinline]] void PaintWithSnprintf(HDC dc, const SYSTEM_POWER_STATUS_EX2& record,
                                         bool selected) {
  char narrow[256];
  const int length =
      std::snprintf(narrow, sizeof narrow, " %d%%, hrs: %.1f (%.1f)",
                    static_cast<int>(record.BatteryLifePercent), kEstimate, kElapsed);
  DrawLine(dc, narrow, length, selected);
}

// The physical limit: the same line written with to_chars, no format string to interpret.
[[gnu::noinline]] void PaintWithToChars(HDC dc, const SYSTEM_POWER_STATUS_EX2& record,
                                        bool selected) {
  const auto append = [](char* out, std::string_view text) {
    return std::copy(text.begin(), text.end(), out);
  };
  char narrow[64];
  char* const end = narrow + sizeof narrow;
  char* out = append(narrow, " ");
  out = std::to_chars(out, end, static_cast<int>(record.BatteryLifePercent)).ptr;
  out = append(out, "%, hrs: ");
  out = std::to_chars(out, end, kEstimate, std::chars_format::fixed, 1).ptr;
  out = append(out, " (");
  out = std::to_chars(out, end, kElapsed, std::chars_format::fixed, 1).ptr;
  out = append(out, ")");
  DrawLine(dc, narrow, static_cast<int>(out - narrow), selected);
}

template <auto paint>
void BM_PaintCachedRecord(benchmark::State& run) {
  PaintSetting setting;
  setting.clock.AdvanceMilliseconds(kTwoAndAHalfHoursMs);
  SYSTEM_POWER_STATUS_EX2 record;
  setting.battery.Read(record, false);
  const HDC dc = HdcFromEventWord(setting.dc.eventWord());
  for (auto _ : run) paint(dc, record, run.range(0) != 0);
}
BENCHMARK(BM_PaintCachedRecord<PaintWithSnprintf>)
    ->Name("BM_PaintBaseline")
    ->ArgName("selected")
    ->Arg(0)
    ->Arg(1);
BENCHMARK(BM_PaintCachedRecord<PaintWithToChars>)
    ->Name("BM_PaintToCharsLimit")
    ->ArgName("selected")
    ->Arg(0)
    ->Arg(1);

}  // namespace
