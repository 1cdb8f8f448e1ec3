// The power_supply folder named with --sysfs, checked before the run: a wrong one is a mistake on
// the command line, not a machine without a battery.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

// What is wrong with the folder, for a usage error; nullopt when it can be a power_supply class
// folder. One level too deep (a supply's own folder: it holds the supply's `type`, or its `uevent`
// names it) says to name the parent.
std::optional<std::string> SysfsFolderProblem(const std::filesystem::path& folder);
