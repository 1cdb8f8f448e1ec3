#include "host/estimate/low_battery_text.h"

#include <cstdio>

#include "platform/text/narrow_format.h"

std::string LowBatterySummary(int percent) { return NarrowFormat("Battery %d %%", percent); }

std::string LowBatteryBody(const std::optional<HoursToShow>& hours,
                           const std::optional<std::string>& learningNote) {
  std::string body = hours ? HoursToShowWords(*hours) : std::string("Hours left not known yet");
  if (learningNote) body += "\n" + *learningNote;
  return body;
}

// Every body with a figure starts "About 1.4 h left".
std::optional<double> HoursInBody(const std::string& body) {
  double hours = 0;
  if (std::sscanf(body.c_str(), "About %lf h left", &hours) != 1) return std::nullopt;
  return hours;
}
