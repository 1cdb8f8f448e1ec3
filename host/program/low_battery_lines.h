// Low-battery warnings fed from the lines a keeping run paints: the charge and the power as the
// plug-in shows them, the hours to show, and whether its statistics are still learning.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "host/front/bar/bar_loop.h"
#include "host/front/notify/low_battery_notifications.h"
#include "host/program/options.h"
#include "plugin_host/saved_configuration.h"

// --notify-below, else the NotifyBelow attribute of the home-screen file's <home>, else the
// defaults; a value there that is no list of percents is named in `note`, and the defaults hold.
NotifyThresholds ChosenThresholds(const HostOptions& options,
                                  const std::filesystem::path& homeScreenFile, std::string& note);

// What decides the warnings from each changed line and its figures and hands them to the
// notifications.
BarLoop::FiguresObserver WarningsFromLines(LowBatteryNotifications& notifications,
                                           NotifyThresholds thresholds);
