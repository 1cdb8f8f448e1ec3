// The battery report shown when the user presses the action key on the plug-in's line: every
// field of the platform's power status in words and numbers and, in expert mode, the plug-in's
// own bookkeeping. Reads the plug-in's state and changes none of it.
#pragma once

#include "platform/api.h"
#include "plugin_state/plugin_state.h"

// Shows the report as an information message box (or "Battery status unknown" as an error when
// the power status cannot be read), then asks the host for a repaint either way.
void ShowBatteryReport(PluginState& state);

// Appends the pending hourly drops with their series times (local time) and the cumulative hourly
// averages; the text starts with a newline. Answers 0.
int FormatPercentStats(const PluginState& state, WString& output);
