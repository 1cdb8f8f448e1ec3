// Every field of the plug-in's state besides its COM identity, in the object's order. The
// subsystems that act on the plug-in (tracking, painting, the report) take this state.
#pragma once

#include <vector>

#include "platform/api.h"
#include "plugin_host/home_screen_plugin.h"
#include "plugin_state/plugin_settings.h"
#include "stats/hourly_drain_table.h"

// The current on-battery period.
struct DischargeSession {
  LONGLONG dischargeStartTime =
      0;  // UTC file time of the first update that found the phone on battery
  LONG dischargeStartPercent = 0;  // battery percent at that update
  bool dischargeStarted = false;
};

// The three colours the line is drawn with, 0x00BBGGRR each, as the host or the system gave them.
struct ColourSet {
  DWORD textColour = 0;
  DWORD highlightTextColour = 0;
  DWORD highlightColour = 0;
};

struct PluginState {
  HostEnvironment* hostEnvironment = nullptr;  // owned reference; null while no site is set
  PluginHandle handle = 0;
  WString StatusText;
  PluginSettings settings;
  DischargeSession session;
  LONG timerRequests = 0;  // timer requests not yet answered by a PE_TIMER
  LONG OnPaintCalled = 0;  // PE_PAINT events since the last restore
  HourlyDrainTable table;
  LONGLONG seriesStartTime = 0;  // UTC file time: the hour the pending series starts with
  SYSTEMTIME seriesHead{};       // local date and hour the series' first drop was filed under
  LONG splitDrops = 0;  // drops of the period's series already written as records of their own
  LONGLONG nextSampleTime = 0;  // UTC file time after which the next hourly sample is due
  LONG lastSampledPercent = 0;
  std::vector<BYTE> PercentSeries;  // hourly drops not yet in the stat file, oldest first
  ColourSet colours;
};
