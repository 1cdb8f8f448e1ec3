#include "tests/fakes/recording_canvas.h"

#include <cstdio>

namespace {

std::string Hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
  return text;
}

std::string Rect(const RECT& rect) {
  char text[64];
  std::snprintf(text, sizeof text, "{%d,%d,%d,%d}", static_cast<int>(rect.left),
                static_cast<int>(rect.top), static_cast<int>(rect.right),
                static_cast<int>(rect.bottom));
  return text;
}

}  // namespace

RecordingCanvas::RecordingCanvas() : monitorGuard_(*this) {}

void RecordingCanvas::FillRectangle(const RECT& rect, COLORREF colour) {
  calls_.push_back(RecordedFill(rect, colour));
}

void RecordingCanvas::SetTextColour(COLORREF colour) {
  calls_.push_back(RecordedTextColour(colour));
}

int RecordingCanvas::DrawText(const RECT& rect, WStringView text, UINT format) {
  calls_.push_back(RecordedText(text, rect, format));
  return 1;
}

bool RecordingCanvas::BrushCreating(COLORREF colour) {
  calls_.push_back(refuseBrushes_ ? RecordedBrushRefused(colour) : RecordedBrushCreated(colour));
  return !refuseBrushes_;
}

void RecordingCanvas::BrushDeleted(COLORREF colour) {
  calls_.push_back(RecordedBrushDeleted(colour));
}

std::string RecordedBrushCreated(COLORREF colour) { return "brush created " + Hex(colour); }

std::string RecordedBrushRefused(COLORREF colour) { return "brush refused " + Hex(colour); }

std::string RecordedBrushDeleted(COLORREF colour) { return "brush deleted " + Hex(colour); }

std::string RecordedFill(const RECT& rect, COLORREF colour) {
  return "fill " + Rect(rect) + " " + Hex(colour);
}

std::string RecordedTextColour(COLORREF colour) { return "text colour " + Hex(colour); }

std::string RecordedText(WStringView text, const RECT& rect, UINT format) {
  return "text \"" + NarrowUtf8(text) + "\" " + Rect(rect) + " format " + Hex(format);
}
