// The status line that UpdateStatus builds: " 62%, hrs: 9.1 (3.5)". It is built on every paint, so
// it is written straight into the line's own storage, with no format call on its usual paths.
#pragma once

#include "platform/api.h"

// Above this the platform does not know the charge (it answers 255): such a percent is no reading.
inline constexpr LONG kHighestDeterminedPercent = 100;

// What stands after "hrs: ".
enum class EstimateForm {
  Online,         // "N/A (online)"
  Estimate,       // "<first> (<second>)": the remaining hours from the statistics, then the elapsed
                  // hours
  ElapsedOnly,    // "<first>/-?-": the elapsed hours, with nothing to extrapolate from
  Extrapolation,  // "<first>/<second>": the elapsed hours, then the linear extrapolation
  UnknownEstimate,  // "-?- (<first>)": the elapsed hours; the statistics have no percent to start
                    // from
};

struct StatusLineFigures {
  LONG percent;      // 0..255; shown as "?" when above 100 (undetermined)
  bool withCurrent;  // the current's text "<current> mA, " is shown (expert mode)
  LONG current;      // mA, signed
  EstimateForm form;
  float first, second;  // hours, each shown with one decimal as "%.1f" shows it
};

// Replaces line with the status line of the figures.
void FormatStatusLine(const StatusLineFigures& figures, WString& line);
