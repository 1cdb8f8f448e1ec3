#include "tracking/percent_series.h"

#include "stats/stat_file.h"
#include "tracking/power/power_and_time.h"

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
  // The series' first drop is filed under the hour that starts at the next top of the hour, so its
  // record is dated by that hour too, even for a flush in the first minute of an hour: the stat
  // file then reloads every drop under the hour it was filed under live.
  const LONGLONG top = NextTopOfHour(UtcNow()).top;
  state.seriesStartTime = top;
  state.nextSampleTime = top;
  state.session.dischargeStarted = false;
}
