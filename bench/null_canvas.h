// A canvas that draws nothing: a bench's paints cost the plug-in's work, not the drawing's.
#pragma once

#include "platform/gdi/canvas.h"

class NullCanvas : public Canvas {
 public:
  void FillRectangle(const RECT&, COLORREF) override {}
  void SetTextColour(COLORREF) override {}
  int DrawText(const RECT&, WStringView text, UINT) override {
    return static_cast<int>(text.size());
  }
};
