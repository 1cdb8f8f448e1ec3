// The levels below which the user is warned of a low battery: charge levels, by default those of
// home_settings.h, changed with --notify-below or the NotifyBelow attribute of the home-screen
// file's <home> element; and time levels, none by default, chosen with --notify-below-minutes or
// the NotifyBelowMinutes attribute.
#pragma once

#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "host/hosting/home_settings.h"

// Percents, highest first, each once, each from 1 to 100.
using NotifyThresholds = std::vector<int>;

inline const NotifyThresholds kDefaultNotifyThresholds(std::begin(kDefaultNotifyBelow),
                                                       std::end(kDefaultNotifyBelow));

// The critical level: the lowest threshold. Its warning is the critical one, and at or below it on
// battery the status bar's class is "critical".
inline int CriticalLevel(const NotifyThresholds& thresholds) { return thresholds.back(); }

// Minutes of the hours to show, highest first, each once, each from 1 to a day.
using NotifyMinutes = std::vector<int>;

inline constexpr int kMostNotifyMinutes = 24 * 60;

// Every level a run warns at.
struct WarningLevels {
  NotifyThresholds percents = kDefaultNotifyThresholds;
  NotifyMinutes minutes;  // none: no warnings by the time left
  bool operator==(const WarningLevels&) const = default;
};

// "25,10,5" in any order, as whole numbers from 1 to `most`, sorted highest first; nullopt for
// anything else (an empty list, a blank, a repeated or out-of-range value).
std::optional<std::vector<int>> ParseLevels(std::string_view text, int most);

inline std::optional<NotifyThresholds> ParseNotifyThresholds(std::string_view text) {
  return ParseLevels(text, 100);
}
inline std::optional<NotifyMinutes> ParseNotifyMinutes(std::string_view text) {
  return ParseLevels(text, kMostNotifyMinutes);
}

// What a value that ParseNotifyThresholds or ParseNotifyMinutes refuses should have been, for the
// messages.
inline constexpr const char* kNotifyThresholdsForm =
    "comma-separated percents from 1 to 100, such as 20,10,5";
inline constexpr const char* kNotifyMinutesForm =
    "comma-separated minutes from 1 to 1440, such as 30,10";
