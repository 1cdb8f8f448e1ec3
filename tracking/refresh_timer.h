// The refresh timer: one timer request outstanding at a time, aligned to the UTC top of the hour
// so that an update falls right after it, where the hourly sample is taken.
#pragma once

#include "plugin_state/plugin_state.h"

// Handles one PE_TIMER: asks for the next timer, updates the status and asks for a repaint. With
// the power status unreadable it only says so in the status line and requests nothing, ending the
// chain.
void OnTimer(PluginState& state);
