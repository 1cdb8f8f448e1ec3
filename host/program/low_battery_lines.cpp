#include "host/program/low_battery_lines.h"

#include <memory>

#include "host/hosting/home_screen_file.h"

NotifyThresholds ChosenThresholds(const HostOptions& options,
                                  const std::filesystem::path& homeScreenFile, std::string& note) {
  if (options.notifyBelow) return *options.notifyBelow;
  const std::optional<std::string> attribute = ReadHomeAttribute(homeScreenFile, "NotifyBelow");
  if (!attribute) return kDefaultNotifyThresholds;
  if (std::optional<NotifyThresholds> thresholds = ParseNotifyThresholds(*attribute))
    return *thresholds;
  note = "the home-screen file " + homeScreenFile.string() + ": NotifyBelow=\"" + *attribute +
         "\" is not " + kNotifyThresholdsForm + "; the warnings come below 20, 10 and 5 %";
  return kDefaultNotifyThresholds;
}

std::function<void(const std::string& text)> WarningsFromLines(
    LowBatteryNotifications& notifications, NotifyThresholds thresholds,
    const SavedConfiguration& settings) {
  auto warnings = std::make_shared<LineWarnings>(LineWarningsFor(std::move(thresholds), settings));
  return [&notifications, warnings](const std::string& text) {
    if (const std::optional<LineWarning> warning = warnings->Observe(text))
      notifications.Deliver(*warning);
  };
}
