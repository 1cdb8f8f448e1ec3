// The plug-in's status line, " 62%, hrs: 9.1 (3.5)": the one owner of its grammar. The plug-in
// writes it (UpdateStatus, on every paint, so it is written straight into the line's own storage,
// with no format call on its usual paths) and the home screen reads its figures back from the
// painted text with the reader beside it.
#pragma once

#include <optional>
#include <string_view>

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

  bool operator==(const StatusLineFigures&) const = default;
};

// Replaces line with the status line of the figures.
void FormatStatusLine(const StatusLineFigures& figures, WString& line);

// The figures a status line shows, read back from its text, with or without its leading blank (a
// host renders the line without it): "?" reads as BATTERY_PERCENTAGE_UNKNOWN, the hours to the
// tenth the line shows, and what a form does not show (the current without expert mode, the
// hours of "N/A (online)", the second hours of "-?-" forms) as 0. nullopt for any other text, such
// as the plug-in's "Battery status unknown".
std::optional<StatusLineFigures> ParseStatusLine(std::string_view line);
