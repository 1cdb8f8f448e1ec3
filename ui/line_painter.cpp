#include "ui/line_painter.h"

#include "plugin_state/host_requests.h"
#include "tracking/status_update.h"

void PaintLine(PluginState& state, const PluginEvent& event) {
  ++state.OnPaintCalled;
  UpdateStatus(state);

  const HDC dc = HdcFromEventWord(event.paint.hdc);
  RECT rect = {event.paint.left, event.paint.top, event.paint.right, event.paint.bottom};
  COLORREF textColour = state.colours.textColour;
  if (event.paint.selected != 0) {
    // A new brush for every selected paint: the highlight colour may change between paints.
    if (HBRUSH brush = CreateSolidBrush(state.colours.highlightColour)) {
      FillRect(dc, &rect, brush);
      DeleteObject(brush);
    }
    textColour = state.colours.highlightTextColour;
  }
  SetTextColor(dc, textColour);
  DrawTextW(dc, state.StatusText.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER);
}

void RefreshOnKey(PluginState& state) {
  UpdateStatus(state);
  RequestRepaint(state);
}
