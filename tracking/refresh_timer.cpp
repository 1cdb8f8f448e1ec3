#include "tracking/refresh_timer.h"

#include "plugin_host/plugin_messages.h"
#include "plugin_state/host_requests.h"
#include "tracking/percent_series.h"
#include "tracking/power/power_and_time.h"
#include "tracking/status_update.h"

namespace {

constexpr DWORD kChargingRefreshMs = 60000;

void RequestTimer(PluginState& state, DWORD milliseconds) {
  if (ScheduleTimer(state, milliseconds)) ++state.timerRequests;
}

}  // namespace

void OnTimer(PluginState& state) {
  --state.timerRequests;
  SYSTEM_POWER_STATUS_EX2 status;
  if (!ReadPowerStatus(status)) {
    state.StatusText = kBatteryStatusUnknown;
    return;
  }
  if (state.timerRequests < 1) {
    const DWORD toTopOfHour = NextTopOfHour(UtcNow()).ms;
    const auto refresh = static_cast<DWORD>(state.settings.RefreshTimeout);
    RequestTimer(state, refresh < toTopOfHour ? refresh : toTopOfHour);
  } else if (state.timerRequests == 1 && status.BatteryFlag == BATTERY_FLAG_CHARGING) {
    RequestTimer(state, kChargingRefreshMs);
  }
  UpdateStatus(state);
  RequestRepaint(state);
}
