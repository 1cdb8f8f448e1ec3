#include "tests/conformance/pixel_canvas.h"

#include <algorithm>

namespace {

constexpr LONG kGlyphWidth = 3;
constexpr LONG kGlyphAdvance = 5;
constexpr LONG kGlyphHeight = 7;

}  // namespace

PixelCanvas::PixelCanvas(LONG width, LONG height, COLORREF background)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width * height), background) {}

COLORREF PixelCanvas::PixelAt(LONG x, LONG y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  return pixels_[IndexOf(x, y)];
}

void PixelCanvas::Fill(RECT area, const RECT& clip, COLORREF colour) {
  area.left = std::max({area.left, clip.left, LONG{0}});
  area.top = std::max({area.top, clip.top, LONG{0}});
  area.right = std::min({area.right, clip.right, width_});
  area.bottom = std::min({area.bottom, clip.bottom, height_});
  for (LONG y = area.top; y < area.bottom; ++y) {
    for (LONG x = area.left; x < area.right; ++x) pixels_[IndexOf(x, y)] = colour;
  }
}

void PixelCanvas::FillRectangle(const RECT& rect, COLORREF colour) { Fill(rect, rect, colour); }

int PixelCanvas::DrawText(const RECT& rect, WStringView text, UINT format) {
  const LONG top = (format & DT_VCENTER) != 0
                       ? rect.top + (rect.bottom - rect.top - kGlyphHeight) / 2
                       : rect.top;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == TEXT(' ')) continue;
    const LONG left = rect.left + 1 + static_cast<LONG>(i) * kGlyphAdvance;
    Fill(RECT{left, top, left + kGlyphWidth, top + kGlyphHeight}, rect, textColour_);
  }
  return kGlyphHeight;
}
