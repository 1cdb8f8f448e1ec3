#include "tracking/percent_series.h"

#include "stats/pending_record.h"
#include "stats/stat_file.h"
#include "tracking/power/power_and_time.h"

TopOfHour NextTopOfHour(LONGLONG t) {
  SYSTEMTIME next = UtcTimeOf(t + kFileTimeHour);
  next.wMinute = next.wSecond = next.wMilliseconds = 0;
  const LONGLONG top = FileTimeOf(next);
  return TopOfHour{top, static_cast<DWORD>((top - t) / 10000)};
}

namespace {

// The drops go to the stat file and are no longer kept beside it, whether or not the record was
// written.
void WritePendingDrops(PluginState& state) {
  AppendStatRecord(state.settings.StatFilename, state.seriesHead, state.PercentSeries);
  ForgetPendingRecord(state.settings.StatFilename);
  state.PercentSeries.clear();
}

}  // namespace

void FlushPercents(PluginState& state) {
  if (!state.PercentSeries.empty()) WritePendingDrops(state);
  state.splitDrops = 0;
  const LONGLONG top = NextTopOfHour(UtcNow()).top;
  state.seriesStartTime = top;
  state.nextSampleTime = top;
  state.session.dischargeStarted = false;
}

void AppendDrop(PluginState& state, BYTE drop, const SYSTEMTIME& localHour) {
  const auto pending = static_cast<LONGLONG>(state.PercentSeries.size());
  if (pending > 0 &&
      FileTimeOf(state.seriesHead) + pending * kFileTimeHour != FileTimeOf(localHour)) {
    state.splitDrops += static_cast<LONG>(pending);
    WritePendingDrops(state);
    state.seriesStartTime = state.nextSampleTime;
  }
  if (state.PercentSeries.empty()) state.seriesHead = localHour;
  state.PercentSeries.push_back(drop);
  KeepPendingRecord(state.settings.StatFilename, state.seriesHead, state.PercentSeries);
}

DWORD PeriodDropCount(const PluginState& state) {
  return static_cast<DWORD>(state.PercentSeries.size()) + static_cast<DWORD>(state.splitDrops);
}
