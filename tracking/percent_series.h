// The pending hourly drops and their flush to the stat file.
#pragma once

#include "platform/api.h"
#include "plugin/state/plugin_state.h"

struct TopOfHour {
  LONGLONG top;  // UTC file time of the start of the next UTC hour
  DWORD ms;  // milliseconds from t to top: 1..3,600,000 for t in whole milliseconds
};

// The start of the UTC hour after the one that holds t; a t exactly on the hour gives t plus one hour.
TopOfHour NextTopOfHour(LONGLONG t);

// Appends the pending drops (if any) to the stat file as one record and empties the series, whether
// or not the record was written; restarts both series times at the next UTC top of the hour and
// ends the on-battery period.
void FlushPercents(PluginState& state);
