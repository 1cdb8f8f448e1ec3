#include "tracking/percent_series.h"

#include "stats/stat_file.h"
#include "tracking/power/power_and_time.h"

namespace {

// A flush in the first minute of an hour dates its series from the flush itself.
constexpr DWORD kLastMinuteOfHourMs = 3540000;

}  // namespace

TopOfHour NextTopOfHour(LONGLONG t) {
  SYSTEMTIME next = UtcTimeOf(t + kFileTimeHour);
  next.wMinute = next.wSecond = next.wMilliseconds = 0;
  const LONGLONG top = FileTimeOf(next);
  return TopOfHour{top, static_cast<DWORD>((top - t) / 10000)};
}

void FlushPercents(PluginState& state) {
  if (!state.PercentSeries.empty()) {
    AppendStatRecord(state.settings.StatFilename, ToFileTime(state.seriesStartTime), state.PercentSeries);
    state.PercentSeries.clear();
  }
  const LONGLONG now = UtcNow();
  state.seriesStartTime = now;
  state.nextSampleTime = now;
  const TopOfHour next = NextTopOfHour(now);
  state.session.dischargeStarted = false;
  if (next.ms <= kLastMinuteOfHourMs) state.seriesStartTime = next.top;
  state.nextSampleTime = next.top;
}
