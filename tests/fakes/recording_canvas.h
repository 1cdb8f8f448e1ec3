// A canvas that records every drawing call, in order, as one readable line each, so a test can
// compare the whole list. While it lives it is also the installed brush monitor, so brushes made,
// refused and freed appear in the same list. Expected lines are built with the Recorded* helpers.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/brush_monitor.h"
#include "platform/gdi/canvas.h"

class RecordingCanvas : public Canvas, public BrushMonitor {
 public:
  RecordingCanvas();

  const std::vector<std::string>& calls() const { return calls_; }
  // From now on CreateSolidBrush answers null (recorded as a refused brush).
  void RefuseBrushes(bool refuse) { refuseBrushes_ = refuse; }

  void FillRectangle(const RECT& rect, COLORREF colour) override;
  void SetTextColour(COLORREF colour) override;
  // Answers one unit: the canvas draws one line of text.
  int DrawText(const RECT& rect, WStringView text, UINT format) override;
  bool BrushCreating(COLORREF colour) override;
  void BrushDeleted(COLORREF colour) override;

 private:
  std::vector<std::string> calls_;
  bool refuseBrushes_ = false;
  ScopedBrushMonitor monitorGuard_;
};

std::string RecordedBrushCreated(COLORREF colour);
std::string RecordedBrushRefused(COLORREF colour);
std::string RecordedBrushDeleted(COLORREF colour);
std::string RecordedFill(const RECT& rect, COLORREF colour);
std::string RecordedTextColour(COLORREF colour);
std::string RecordedText(WStringView text, const RECT& rect, UINT format);
