// What each key does on the home screen.
#pragma once

#include "host/terminal/key_decoder.h"
#include "platform/api.h"

enum class HostCommand {
  None,
  RefreshLeft,      // PE_KEYDOWN 37
  RefreshRight,     // PE_KEYDOWN 39
  ToggleSelection,  // the line selected or not, repainted
  Action,           // PE_ACTION: the plug-in's report
  SwitchColours,    // the next colour scheme and PE_SYSCOLORCHANGE
  Quit,
};

HostCommand CommandFor(const KeyPress& key);

// The virtual-key codes of the left and right keys that PE_KEYDOWN carries.
inline constexpr WORD kVirtualKeyLeft = 37;
inline constexpr WORD kVirtualKeyRight = 39;
