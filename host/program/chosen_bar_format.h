// The status bar's text a run shows, decided once.
#pragma once

#include <filesystem>

#include "host/front/bar/bar_text_format.h"
#include "host/hosting/outcome.h"
#include "host/program/options.h"

// --format, else the Format attribute of the home-screen file's <home>, else the plug-in's line; a
// value there that is no format is named in the note, with why, and the plug-in's line holds.
Noted<BarTextFormat> ChosenBarFormat(const HostOptions& options,
                                     const std::filesystem::path& homeScreenFile);
