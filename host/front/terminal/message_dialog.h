// A message box as the terminal shows it: what MessageBoxW was given.
#pragma once

#include "platform/text/wide_text.h"

struct MessageDialog {
  WString caption;
  WString text;
  UINT type = 0;   // MB_ flags; the icon bits choose the icon word
  int scroll = 0;  // the first text row shown when the text is taller than the screen
};
