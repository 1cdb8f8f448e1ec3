// The plug-in's requests to the host. With no HostEnvironment held (no site yet, or the site was
// taken away) there is nobody to ask, and the request is skipped.
#pragma once

#include "plugin_state/plugin_state.h"

inline void RequestRepaint(PluginState& state) {
  if (state.hostEnvironment != nullptr) state.hostEnvironment->RequestRepaint(state.handle, 0);
}

// Returns whether a request reached a host.
inline bool ScheduleTimer(PluginState& state, DWORD milliseconds) {
  if (state.hostEnvironment == nullptr) return false;
  state.hostEnvironment->ScheduleTimer(state.handle, milliseconds);
  return true;
}
