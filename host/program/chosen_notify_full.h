// Whether a run says when the battery is charged, decided once.
#pragma once

#include <filesystem>

#include "host/hosting/outcome.h"
#include "host/program/options.h"

// --notify-full, else the NotifyFull attribute of the home-screen file's <home> ("yes" or "no"),
// else not; another value there is named in the note, and no such notification is sent.
Noted<bool> ChosenNotifyFull(const HostOptions& options,
                             const std::filesystem::path& homeScreenFile);
