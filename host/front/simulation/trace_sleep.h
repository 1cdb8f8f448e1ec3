// Where a recorded trace says the machine slept: a logger that writes at a steady pace (a laptop's,
// once a minute) writes nothing while the machine is suspended, so rows further apart than a given
// gap mean it slept from the earlier row to the later one. A logger that writes only on change has
// long gaps while awake: for its traces no gap means sleep.
#pragma once

#include <vector>

#include "host/front/simulation/trace_csv.h"

struct AsleepSpan {
  ULONGLONG from;  // the last row before the gap
  ULONGLONG to;    // the row after it, where the machine is awake again
};

// The gaps between consecutive rows longer than longestAwakeGap (file time units), in order. Every
// row counts, an unknown one too: the logger ran.
std::vector<AsleepSpan> AsleepSpans(const std::vector<TraceReading>& readings,
                                    ULONGLONG longestAwakeGap);
