#include "host/estimate/low_battery_text.h"

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
