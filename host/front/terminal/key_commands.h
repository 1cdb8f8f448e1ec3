// What each key does on the home screen.
#pragma once

#include "host/front/terminal/key_decoder.h"
#include "platform/api.h"
#include "plugin_host/home_screen_plugin.h"

enum class HostCommand {
  None,
  RefreshLeft,      // PE_KEYDOWN kVirtualKeyLeft
  RefreshRight,     // PE_KEYDOWN kVirtualKeyRight
  ToggleSelection,  // the line selected or not, repainted
  Action,           // PE_ACTION: the plug-in's report
  SwitchColours,    // the next colour scheme and PE_SYSCOLORCHANGE
  Quit,
};

HostCommand CommandFor(const KeyPress& key);
