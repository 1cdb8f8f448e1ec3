// The plug-in's configuration as the host keeps it in a stream, in the layout of
// plugin_host/saved_configuration.h: the handle, the six integer settings and the length n of the
// stat file's name as 32-bit little-endian words, then the name's n UTF-16 code units.
#pragma once

#include "platform/api.h"
#include "plugin_host/saved_configuration.h"
#include "plugin_state/plugin_state.h"

// The longest name a restore takes; longer stored names are cut to it.
inline constexpr size_t kMaxStoredNameLength = 259;

ULONGLONG PersistedSize(const PluginState& state);

// Writes the record with one Write call per word and one for the name; results are not looked at.
void SaveConfiguration(IStream& stream, const PluginState& state);

// Reads the record into the handle and settings. A field the stream does not deliver in full keeps
// its value; a stored name longer than 259 characters is cut there and the rest of it skipped, and
// a name is cut at its first zero character.
void LoadConfiguration(IStream& stream, PluginState& state);
