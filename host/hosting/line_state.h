// What the host keeps of the plug-in's line between frames.
#pragma once

struct LineState {
  bool selected = false;
  // Set by the plug-in's RequestRepaint and by the host itself (selection, colours, size); the
  // loop sends PE_PAINT and clears it.
  bool repaintRequested = true;
};
