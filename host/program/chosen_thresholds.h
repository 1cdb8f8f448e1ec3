// The low-battery warnings' levels a run uses, decided once for every place that follows them.
#pragma once

#include <filesystem>

#include "host/estimate/notify_thresholds.h"
#include "host/hosting/outcome.h"
#include "host/program/options.h"

// --notify-below, else the NotifyBelow attribute of the home-screen file's <home>, else the
// defaults; a value there that is no list of percents is named in the note, and the defaults hold.
Noted<NotifyThresholds> ChosenThresholds(const HostOptions& options,
                                         const std::filesystem::path& homeScreenFile);

// --notify-below-minutes, else the NotifyBelowMinutes attribute, else none (as an empty one); a
// value there that is no list of minutes is named in the note, and no time level holds.
Noted<NotifyMinutes> ChosenMinutes(const HostOptions& options,
                                   const std::filesystem::path& homeScreenFile);
