// Draws the plug-in's line on PE_PAINT, refreshing the status first; the left and right keys
// refresh it and ask for a repaint.
#pragma once

#include "plugin_host/home_screen_plugin.h"
#include "plugin_state/plugin_state.h"

// Counts the paint, runs the status update, then fills the rectangle with the highlight colour when
// the line is selected and draws the status line in the matching text colour.
void PaintLine(PluginState& state, const PluginEvent& event);

// The left or right key: refresh the status and ask the host to repaint.
void RefreshOnKey(PluginState& state);
