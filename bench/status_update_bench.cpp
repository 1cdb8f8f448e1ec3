// The status update runs before every paint: its usual path (no sample due, nothing to flush) on
// the simulated and on the machine's clock, and a whole paint through the device context, with the
// power status from a fixed source, from the machine's power_supply class in sysfs (answered from
// the reading of the last second), and re-read from sysfs each time.
#include <benchmark/benchmark.h>

#include "bench/null_canvas.h"
#include "platform/power/power_source_sysfs.h"
#include "platform/time/simulated_clock.h"
#include "ui/line_painter.h"
#include "tracking/status_update.h"

namespace {

class StillSource : public PowerSource {
 public:
  bool Read(SYSTEM_POWER_STATUS_EX2& status, bool) override {
    status = SYSTEM_POWER_STATUS_EX2{};
    status.ACLineStatus = AC_LINE_OFFLINE;
    status.BatteryFlag = BATTERY_FLAG_HIGH;
    status.BatteryLifePercent = 80;
    status.BatteryCurrent = -151;
    return true;
  }
};

// 2026-03-02 12:20
constexpr SYSTEMTIME kNoon{2026, 3, 0, 2, 12, 20, 0, 0};

PluginState Tracking() {
  PluginState state;
  state.settings = DefaultSettings();
  state.settings.StatFilename.clear();  // no file: a flush would not touch the disk
  for (UINT hour = 0; hour < 24; ++hour) state.table.AddSample(hour, 4, 50, hour == 23);
  return state;
}

// The updates, on whichever clock is installed.
void UpdateStatusRepeatedly(benchmark::State& run) {
  StillSource source;
  ScopedPowerSource sourceGuard(source);
  PluginState state = Tracking();
  for (auto _ : run) {
    UpdateStatus(state);
    benchmark::DoNotOptimize(state.StatusText.data());
  }
}

void BM_UpdateStatus(benchmark::State& run) {
  SimulatedClock clock(kNoon, 60);
  ScopedClock clockGuard(clock);
  UpdateStatusRepeatedly(run);
}
BENCHMARK(BM_UpdateStatus);

// The same on the machine's own clock and zone rules, as the host runs it outside a simulation.
void BM_UpdateStatusOnTheMachineClock(benchmark::State& run) { UpdateStatusRepeatedly(run); }
BENCHMARK(BM_UpdateStatusOnTheMachineClock);

void BM_PaintSelected(benchmark::State& run) {
  SimulatedClock clock(kNoon, 60);
  ScopedClock clockGuard(clock);
  StillSource source;
  ScopedPowerSource sourceGuard(source);
  NullCanvas canvas;
  ScopedDeviceContext dc(canvas);
  PluginState state = Tracking();
  PluginEvent event{};
  event.type = PE_PAINT;
  event.paint = {dc.eventWord(), 1, 0, 0, 240, 20};
  for (auto _ : run) PaintLine(state, event);
}
BENCHMARK(BM_PaintSelected);

// The machine's own power_supply class; arg 1: re-read on every call (the update flag set).
void BM_SysfsPowerStatus(benchmark::State& run) {
  SysfsPowerSource source;
  SYSTEM_POWER_STATUS_EX2 status;
  for (auto _ : run) benchmark::DoNotOptimize(source.Read(status, run.range(0) != 0));
}
BENCHMARK(BM_SysfsPowerStatus)->Arg(0)->Arg(1);

}  // namespace
