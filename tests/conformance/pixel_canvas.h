// A canvas of pixels, so that the conformance checks can read a paint back from the stand-in as
// they read it from a bitmap on Windows. Text is drawn as one solid 3 x 7 block per visible
// character, vertically centred, which is enough to tell where and in which colour it went.
#pragma once

#include <vector>

#include "platform/gdi/canvas.h"

class PixelCanvas : public Canvas {
 public:
  PixelCanvas(LONG width, LONG height, COLORREF background);

  COLORREF PixelAt(LONG x, LONG y) const;

  void FillRectangle(const RECT& rect, COLORREF colour) override;
  void SetTextColour(COLORREF colour) override { textColour_ = colour; }
  int DrawText(const RECT& rect, WStringView text, UINT format) override;

 private:
  void Fill(RECT area, const RECT& clip, COLORREF colour);
  // The place in pixels_ of a point on the canvas.
  size_t IndexOf(LONG x, LONG y) const {
    return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
  }

  LONG width_;
  LONG height_;
  std::vector<COLORREF> pixels_;
  COLORREF textColour_ = 0;
};
