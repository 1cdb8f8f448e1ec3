#include "host/program/chosen_critical_action.h"

#include "host/hosting/checked_number.h"
#include "host/hosting/home_screen_file.h"
#include "host/hosting/home_settings.h"

namespace {

// `the home-screen file F: Name="value" is not ...`.
std::string FileValueNote(const std::filesystem::path& file, const char* name,
                          const std::string& value) {
  std::string note = "the home-screen file " + file.string() + ": ";
  note += name;
  note += "=\"" + value + "\" is not ";
  return note;
}

}  // namespace

Noted<std::optional<CriticalActionPlan>> ChosenCriticalAction(
    const HostOptions& options, const std::filesystem::path& homeScreenFile) {
  std::optional<CriticalAction> action = options.criticalAction;
  if (!action) {
    const std::optional<std::string> attribute =
        ReadHomeAttribute(homeScreenFile, kCriticalActionAttribute);
    if (!attribute || attribute->empty()) return {std::nullopt, std::nullopt};
    action = ParseCriticalAction(*attribute);
    if (!action) {
      return {std::nullopt, FileValueNote(homeScreenFile, kCriticalActionAttribute, *attribute) +
                                kCriticalActionForm + "; no critical action is taken"};
    }
  }
  if (options.criticalBelow)
    return {CriticalActionPlan{*action, *options.criticalBelow}, std::nullopt};
  const std::optional<std::string> attribute =
      ReadHomeAttribute(homeScreenFile, kCriticalBelowAttribute);
  if (!attribute) return {CriticalActionPlan{*action, kDefaultCriticalBelow}, std::nullopt};
  if (const std::optional<int> level = CheckedNumber(*attribute, 1, 100))
    return {CriticalActionPlan{*action, *level}, std::nullopt};
  return {CriticalActionPlan{*action, kDefaultCriticalBelow},
          FileValueNote(homeScreenFile, kCriticalBelowAttribute, *attribute) +
              "a whole percent from 1 to 100; the critical action counts down at " +
              std::to_string(kDefaultCriticalBelow) + " %"};
}
