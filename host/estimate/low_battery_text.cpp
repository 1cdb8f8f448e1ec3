#include "host/estimate/low_battery_text.h"

#include <cctype>
#include <cstdio>
#include <string_view>

#include "host/estimate/critical_countdown.h"

#include "platform/text/narrow_format.h"

std::string LowBatterySummary(int percent) { return NarrowFormat("Battery %d %%", percent); }

std::string LowBatteryBody(const std::optional<HoursToShow>& hours, FigureIn unit,
                           const std::optional<std::string>& learningNote) {
  std::string body = !hours                      ? std::string("Hours left not known yet")
                     : unit == FigureIn::Minutes ? MinutesToShowWords(*hours)
                                                 : HoursToShowWords(*hours);
  if (learningNote) body += "\n" + *learningNote;
  return body;
}

std::string CountdownBody(std::string_view doing) {
  std::string body(doing);
  body +=
      " in " + std::to_string(CriticalCountdown::kSeconds) + " s unless the charger is plugged in";
  return body;
}

std::string NotTakenBody(std::string_view doing, std::string_view why) {
  std::string body = "Not ";
  body += doing;
  if (!doing.empty())
    body[4] = static_cast<char>(std::tolower(static_cast<unsigned char>(body[4])));
  body += ": ";
  body += why;
  body += "; plug in the charger";
  return body;
}

// Every body with a figure starts "About 1.4 h left" or "About 25 min left".
std::optional<double> HoursInBody(const std::string& body) {
  double figure = 0;
  char unit[4] = {};
  if (std::sscanf(body.c_str(), "About %lf %3s left", &figure, unit) != 2) return std::nullopt;
  if (std::string_view(unit) == "h") return figure;
  if (std::string_view(unit) == "min") return figure / 60;
  return std::nullopt;
}
