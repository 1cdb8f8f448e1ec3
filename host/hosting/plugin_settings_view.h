// The plug-in's settings as its persisted stream holds them: the values the plug-in runs with,
// whether they came from the home-screen file or a saved stream, and with its own defaults for
// what was missing. Layout: handle, RefreshTimeout, MaxHistoryDays, MinPercent, FlushTimeoutHours,
// height, ExpertMode as 32-bit little-endian words, then the stat file name's length in characters
// and the name in UTF-16.
#pragma once

#include <optional>
#include <vector>

#include "platform/api.h"

struct PluginSettingsView {
  LONG refreshTimeout = 0;
  LONG maxHistoryDays = 0;
  LONG minPercent = 0;
  LONG flushTimeoutHours = 0;
  LONG expertMode = 0;
  WString statFilename;
};

// Whether the bytes can be a saved state: the fixed words, then exactly the name their length word
// announces. Anything else (a cut file, another file's bytes) is not the plug-in's.
bool CanBeSavedState(const std::vector<BYTE>& stream);

// nullopt when the stream is shorter than its layout says.
std::optional<PluginSettingsView> ReadPluginSettings(const std::vector<BYTE>& stream);
