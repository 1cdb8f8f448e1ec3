// How far the estimate can be trusted: for how many of the 24 hours of the day the stat file holds
// samples within the history window. Until most hours have some, the hours-left figure reads far
// too long, since hours without samples count as no drain.
#pragma once

#include <string>

#include "platform/api.h"

// The hours of the day with samples in the stat file's records younger than maxHistoryDays, as the
// plug-in would load them (a missing file is created with its version line, a wrong version shown
// as a message box, which the plug-in would show too).
UINT HoursWithSamples(const WString& statFilename, LONG maxHistoryDays);

// "Statistics: samples for 5 of the 24 hours of the day (last 30 days)"; a negative window, which
// the plug-in reads as a huge one, is "(any age)".
std::string CoverageLine(UINT hours, LONG maxHistoryDays);
