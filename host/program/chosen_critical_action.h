// The critical action a keeping status bar or the service takes, and its level, decided once.
#pragma once

#include <filesystem>
#include <optional>

#include "host/front/bar/critical_action_watch.h"
#include "host/hosting/outcome.h"
#include "host/program/options.h"

// --critical-action, else the CriticalAction attribute of the home-screen file's <home> (empty:
// none); nullopt when neither chooses one. Its level: --critical-below, else CriticalBelow, else
// kDefaultCriticalBelow. A value in the file that is not one is named in a note: an action that is
// none is not taken, a level that is none gives the default.
Noted<std::optional<CriticalActionPlan>> ChosenCriticalAction(
    const HostOptions& options, const std::filesystem::path& homeScreenFile);
