// A canvas is the surface behind a device context: the host hands one out for the length of a paint
// (a terminal line, a recorder in tests), and the GDI calls on that device context arrive here with
// handles already resolved to colours.
#pragma once

#include "platform/gdi/gdi.h"
#include "platform/text/wide_text.h"

class Canvas {
 public:
  virtual ~Canvas() = default;
  virtual void FillRectangle(const RECT& rect, COLORREF colour) = 0;
  virtual void SetTextColour(COLORREF colour) = 0;
  // Draws the text into the rectangle as the DT_ format flags say; answers the height of the drawn
  // text in the canvas's units, which DrawTextW passes on.
  virtual int DrawText(const RECT& rect, WStringView text, UINT format) = 0;
};

// Opens a device context on the canvas for the guard's lifetime. Afterwards the handle is closed
// and calls with it fail, even if a plug-in kept it.
class ScopedDeviceContext {
 public:
  explicit ScopedDeviceContext(Canvas& canvas);
  ~ScopedDeviceContext();
  ScopedDeviceContext(const ScopedDeviceContext&) = delete;
  ScopedDeviceContext& operator=(const ScopedDeviceContext&) = delete;

  HDC handle() const;
  // The value for PluginEvent::paint.hdc.
  DWORD eventWord() const { return key_; }

 private:
  DWORD key_;
};
