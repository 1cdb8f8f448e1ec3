#include "host/estimate/low_battery_text.h"

#include <cstdio>

#include "platform/text/narrow_format.h"

std::string LowBatterySummary(int percent) { return NarrowFormat("Battery %d %%", percent); }

std::string LowBatteryBody(const std::optional<HoursLeft>& left,
                           const std::optional<std::string>& learningNote) {
  std::string body =
      !left ? std::string("Hours left not known yet")
      : left->fromStatistics
          ? NarrowFormat("About %.1f h left at this time of day", left->hours)
          : NarrowFormat("About %.1f h left at the rate since unplugged", left->hours);
  if (learningNote) body += "\n" + *learningNote;
  return body;
}

// Every body with a figure starts "About 1.4 h left".
std::optional<double> HoursInBody(const std::string& body) {
  double hours = 0;
  if (std::sscanf(body.c_str(), "About %lf h left", &hours) != 1) return std::nullopt;
  return hours;
}
