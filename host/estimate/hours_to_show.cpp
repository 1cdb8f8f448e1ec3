#include "host/estimate/hours_to_show.h"

#include <cmath>

#include "platform/text/narrow_format.h"

namespace {

std::optional<double> Usable(const std::optional<double>& hours) {
  if (hours && std::isfinite(*hours) && *hours >= 0.0) return hours;
  return std::nullopt;
}

const char* SourceWords(HoursSource source) {
  return source == HoursSource::TimeOfDay    ? "at this time of day"
         : source == HoursSource::RecentRate ? "at your recent rate"
                                             : "as the battery reports";
}

}  // namespace

std::optional<HoursToShow> ChooseHoursToShow(const EstimateFigures& figures) {
  const std::optional<double> statistics =
      figures.learning ? std::nullopt : Usable(figures.statistics);
  const std::optional<double> linear = Usable(figures.linear);
  if (statistics && (!linear || *statistics < *linear))
    return HoursToShow{*statistics, HoursSource::TimeOfDay};
  if (linear) return HoursToShow{*linear, HoursSource::RecentRate};
  if (const std::optional<double> own = Usable(figures.batteryReports))
    return HoursToShow{*own, HoursSource::BatteryReports};
  return std::nullopt;
}

std::string HoursToATenth(double hours) {
  // The tolerance keeps a tenth that binary fractions store just below itself (2.3 as
  // 2.2999...) from falling to the tenth below.
  return NarrowFormat("%.1f", std::floor(hours * 10 + 1e-9) / 10);
}

std::string HoursToShowWords(const HoursToShow& shown) {
  std::string words = "About ";
  words += HoursToATenth(shown.hours);
  words += " h left ";
  words += SourceWords(shown.source);
  return words;
}

std::string MinutesToShowWords(const HoursToShow& shown) {
  if (shown.hours >= 1.0) return HoursToShowWords(shown);
  return NarrowFormat("About %.0f min left %s", std::floor(shown.hours * 60),
                      SourceWords(shown.source));
}
