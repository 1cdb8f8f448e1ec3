#include "tracking/status_update.h"

#include "plugin_host/plugin_messages.h"
#include "tracking/percent_series.h"
#include "tracking/power/power_and_time.h"
#include "plugin_host/status_line.h"

namespace {

// The single-precision values nearest to 1.0e-7 and 1/3600, as the elapsed hours are computed with.
constexpr float kSecondsPerFileTimeUnit = 1.0e-7f;
constexpr float kHoursPerSecond = 1.0f / 3600.0f;
// A stat file record ends at a drop this large.
constexpr LONG kUnrecordableDrop = 100;

// Single precision throughout, as the elapsed hours are shown.
float ElapsedHours(LONGLONG fileTimeUnits) {
  return static_cast<float>(fileTimeUnits) * kSecondsPerFileTimeUnit * kHoursPerSecond;
}

bool OnExternalPower(const SYSTEM_POWER_STATUS_EX2& status) {
  return status.ACLineStatus == AC_LINE_ONLINE || status.BatteryFlag == BATTERY_FLAG_CHARGING;
}

// Only a determined percent starts a period: it becomes the start and the last sampled percent.
void StartDischargeIfNeeded(PluginState& state, LONGLONG now, LONG percent) {
  if (state.session.dischargeStarted) return;
  state.session.dischargeStartTime = now;
  FlushPercents(state);
  state.session.dischargeStarted = true;
  state.lastSampledPercent = percent;
  state.session.dischargeStartPercent = percent;
}

// Takes the hourly sample once the UTC clock hour has moved past the last sample time. A rise in
// charge (an undetermined percent counts as one), a charge below MinPercent or a drop of 100 points
// flushes instead.
void SampleIfDue(PluginState& state, LONGLONG now, const SYSTEMTIME& utcNow, LONG percent) {
  if (!(state.nextSampleTime < now)) return;
  const SYSTEMTIME sampleUtc = UtcTimeOf(state.nextSampleTime);
  const SYSTEMTIME sampleLocal = LocalTimeOf(state.nextSampleTime);
  if (sampleUtc.wHour == utcNow.wHour) return;

  const auto current = static_cast<DWORD>(percent);
  if (static_cast<DWORD>(state.lastSampledPercent) < current) {
    FlushPercents(state);
    return;
  }
  if (static_cast<DWORD>(state.settings.MinPercent) > current) {
    FlushPercents(state);
    return;
  }
  // A stat file record ends at a drop of 100 or more, so such a drop cannot be kept as one.
  if (state.lastSampledPercent - percent >= kUnrecordableDrop) {
    FlushPercents(state);
    return;
  }
  const auto drop = static_cast<BYTE>(state.lastSampledPercent - percent);
  SYSTEMTIME filedHour = sampleLocal;
  filedHour.wMinute = filedHour.wSecond = filedHour.wMilliseconds = 0;
  AppendDrop(state, drop, filedHour);
  state.nextSampleTime = now;
  state.lastSampledPercent = percent;
  state.table.AddSample(sampleLocal.wHour, drop, current, true);
  if (PeriodDropCount(state) >= static_cast<DWORD>(state.settings.FlushTimeoutHours))
    FlushPercents(state);
}

// The remaining hours from the statistics, else the linear extrapolation over the period so far.
void SetEstimate(StatusLineFigures& figures, float estimate, float elapsed, LONG dropped,
                 LONG percent) {
  if (!(estimate < 0)) {
    figures.form = EstimateForm::Estimate;
    figures.first = estimate;
    figures.second = elapsed;
  } else if (dropped <= 0) {
    figures.form = EstimateForm::ElapsedOnly;
    figures.first = elapsed;
  } else {
    figures.form = EstimateForm::Extrapolation;
    figures.first = elapsed;
    figures.second = static_cast<float>(percent) / static_cast<float>(dropped) * elapsed;
  }
}

}  // namespace

void UpdateStatus(PluginState& state) {
  SYSTEM_POWER_STATUS_EX2 status;
  if (!ReadPowerStatus(status)) {
    state.StatusText = kBatteryStatusUnknown;
    return;
  }
  SYSTEMTIME utcNow, localNow;
  GetSystemTime(&utcNow);
  GetLocalTime(&localNow);
  const LONGLONG now = FileTimeOf(utcNow);
  const LONG percent = status.BatteryLifePercent;
  // Above 100 the platform does not know the charge (255): such a percent is shown as "?" and no
  // figure is derived from it.
  const bool determined = percent <= kHighestDeterminedPercent;

  // The current's text is part of the line only in expert mode.
  StatusLineFigures figures{
      percent, state.settings.ExpertMode != 0, status.BatteryCurrent, EstimateForm::Online, 0.0f,
      0.0f};
  if (OnExternalPower(status)) {
    FlushPercents(state);
  } else {
    if (determined) StartDischargeIfNeeded(state, now, percent);
    const bool running = state.session.dischargeStarted;
    // Fixed before the sample, which may flush and so end the period.
    const LONG dropped = state.session.dischargeStartPercent - percent;
    const float elapsed = running ? ElapsedHours(now - state.session.dischargeStartTime) : 0.0f;
    if (running) SampleIfDue(state, now, utcNow, percent);
    if (determined) {
      const auto estimate = static_cast<float>(state.table.EstimateHours(localNow.wHour, percent));
      SetEstimate(figures, estimate, elapsed, dropped, percent);
    } else {
      // With the percent undetermined only the elapsed hours are known: "-?-" stands where the
      // estimate or the extrapolation would be.
      figures.form =
          state.table.HasStatistics() ? EstimateForm::UnknownEstimate : EstimateForm::ElapsedOnly;
      figures.first = elapsed;
    }
  }
  FormatStatusLine(figures, state.StatusText);
}
