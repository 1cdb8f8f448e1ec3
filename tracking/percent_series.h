// The pending hourly drops and their flush to the stat file.
#pragma once

#include "platform/api.h"
#include "plugin_state/plugin_state.h"

struct TopOfHour {
  LONGLONG top;  // UTC file time of the start of the next UTC hour
  DWORD ms;      // milliseconds from t to top: 1..3,600,000 for t in whole milliseconds
};

// The start of the UTC hour after the one that holds t; a t exactly on the hour gives t plus one
// hour.
TopOfHour NextTopOfHour(LONGLONG t);

// Appends the pending drops (if any) to the stat file as one record, no longer keeps them beside
// it, and empties the series, whether or not the record was written; restarts both series times at
// the next UTC top of the hour and ends the on-battery period.
void FlushPercents(PluginState& state);

// Files one drop in the series under the local hour given (minutes and below zero). A record's
// drops belong to consecutive local hours from its head: when this hour does not follow the last
// filed drop's (the machine slept, or the clock's offset changed), the pending drops are written as
// a record of their own first, and the period goes on with a new record that starts with this drop.
// The series is then kept beside the stat file (KeepPendingRecord): a kill or a power cut from now
// on loses none of its drops.
void AppendDrop(PluginState& state, BYTE drop, const SYSTEMTIME& localHour);

// The drops the on-battery period has taken since its series began, those already written by
// AppendDrop included.
DWORD PeriodDropCount(const PluginState& state);
