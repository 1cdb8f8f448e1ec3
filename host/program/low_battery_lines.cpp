#include "host/program/low_battery_lines.h"

#include <memory>

#include "host/front/bar/estimate_notes.h"
#include "host/front/bar/shown_estimate.h"
#include "host/front/bar/stat_coverage.h"
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
    LowBatteryNotifications& notifications, const SavedConfiguration& settings) {
  auto coverage = std::make_shared<StatCoverage>(settings.StatFilename, settings.MaxHistoryDays);
  return [&notifications, coverage](const std::string& text) {
    BatteryReading reading{!OnlineShown(text), PercentShown(text)};
    std::optional<HoursLeft> left;
    if (const std::optional<ShownEstimate> shown = EstimateShown(text))
      left = HoursLeft{shown->hoursLeft, shown->fromStatistics};
    std::optional<std::string> note;
    if (StillLearning(coverage->HoursWithDrain())) note = LearningNote();
    notifications.Observe(reading, left, note);
  };
}
