#include "host/program/chosen_thresholds.h"

#include "host/hosting/home_screen_file.h"
#include "host/hosting/home_settings.h"

namespace {

// "20, 10 and 5".
std::string LevelsText(const NotifyThresholds& levels) {
  std::string text;
  for (size_t i = 0; i < levels.size(); ++i) {
    if (i > 0) text += i + 1 == levels.size() ? " and " : ", ";
    text += std::to_string(levels[i]);
  }
  return text;
}

}  // namespace

Noted<NotifyThresholds> ChosenThresholds(const HostOptions& options,
                                         const std::filesystem::path& homeScreenFile) {
  if (options.notifyBelow) return {*options.notifyBelow, std::nullopt};
  const std::optional<std::string> attribute =
      ReadHomeAttribute(homeScreenFile, kNotifyBelowAttribute);
  if (!attribute) return {kDefaultNotifyThresholds, std::nullopt};
  if (std::optional<NotifyThresholds> thresholds = ParseNotifyThresholds(*attribute))
    return {*thresholds, std::nullopt};
  return {kDefaultNotifyThresholds, "the home-screen file " + homeScreenFile.string() + ": " +
                                        kNotifyBelowAttribute + "=\"" + *attribute + "\" is not " +
                                        kNotifyThresholdsForm + "; the warnings come below " +
                                        LevelsText(kDefaultNotifyThresholds) + " %"};
}

Noted<NotifyMinutes> ChosenMinutes(const HostOptions& options,
                                   const std::filesystem::path& homeScreenFile) {
  if (options.notifyBelowMinutes) return {*options.notifyBelowMinutes, std::nullopt};
  const std::optional<std::string> attribute =
      ReadHomeAttribute(homeScreenFile, kNotifyBelowMinutesAttribute);
  if (!attribute || attribute->empty()) return {{}, std::nullopt};
  if (std::optional<NotifyMinutes> minutes = ParseNotifyMinutes(*attribute))
    return {*minutes, std::nullopt};
  return {{},
          "the home-screen file " + homeScreenFile.string() + ": " + kNotifyBelowMinutesAttribute +
              "=\"" + *attribute + "\" is not " + kNotifyMinutesForm +
              "; no warnings come by the time left"};
}
