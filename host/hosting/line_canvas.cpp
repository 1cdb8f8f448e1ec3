#include "host/hosting/line_canvas.h"

LineCanvas::LineCanvas(COLORREF defaultTextColour)
    : defaultTextColour_(defaultTextColour), textColour_(defaultTextColour) {}

void LineCanvas::Clear() {
  fill_.reset();
  textColour_ = defaultTextColour_;
  text_.clear();
}

void LineCanvas::FillRectangle(const RECT& /*rect*/, COLORREF colour) { fill_ = colour; }

void LineCanvas::SetTextColour(COLORREF colour) { textColour_ = colour; }

int LineCanvas::DrawText(const RECT& /*rect*/, WStringView text, UINT /*format*/) {
  text_.assign(text);
  return 1;
}
