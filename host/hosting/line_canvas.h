// The canvas behind the device context of one paint of the plug-in's line: it keeps what the
// plug-in drew so that the frame can show it. Within one paint the last call of each kind counts.
#pragma once

#include <optional>

#include "platform/gdi/canvas.h"

class LineCanvas : public Canvas {
 public:
  // The text colour until the plug-in sets one, and again after Clear.
  explicit LineCanvas(COLORREF defaultTextColour);

  // Forgets the previous paint; call before each one.
  void Clear();

  const std::optional<COLORREF>& fill() const { return fill_; }
  COLORREF textColour() const { return textColour_; }
  const WString& text() const { return text_; }

  void FillRectangle(const RECT& rect, COLORREF colour) override;
  void SetTextColour(COLORREF colour) override;
  // Answers 1: the line is one text row high.
  int DrawText(const RECT& rect, WStringView text, UINT format) override;

 private:
  COLORREF defaultTextColour_;
  std::optional<COLORREF> fill_;
  COLORREF textColour_;
  WString text_;
};
