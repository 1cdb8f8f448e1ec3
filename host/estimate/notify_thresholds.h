// The charge levels below which the user is warned: by default those of home_settings.h, changed
// with
// --notify-below or the NotifyBelow attribute of the home-screen file's <home> element.
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

// "25,10,5" in any order; nullopt for anything else than comma-separated whole percents from 1 to
// 100 (an empty list, a blank, a repeated or out-of-range value).
std::optional<NotifyThresholds> ParseNotifyThresholds(std::string_view text);

// What a value that ParseNotifyThresholds refuses should have been, for the messages.
inline constexpr const char* kNotifyThresholdsForm =
    "comma-separated percents from 1 to 100, such as 20,10,5";
