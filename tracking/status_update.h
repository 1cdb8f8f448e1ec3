// Brings the plug-in's battery state up to date: follows the on-battery period, takes at most one
// drop sample per UTC clock hour, and rewrites the status line.
#pragma once

#include "plugin_state/plugin_state.h"

void UpdateStatus(PluginState& state);
