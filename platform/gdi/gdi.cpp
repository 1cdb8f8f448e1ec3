#include "platform/gdi/gdi.h"

#include "platform/gdi/brush_monitor.h"
#include "platform/gdi/canvas.h"
#include "platform/gdi/internal/gdi_handle_table.h"
#include "platform/gdi/system_palette.h"
#include "platform/text/wide_text.h"

HBRUSH CreateSolidBrush(COLORREF colour) {
  BrushMonitor* monitor = CurrentBrushMonitor();
  if (monitor != nullptr && !monitor->BrushCreating(colour)) return nullptr;
  return GdiHandleFromKey<HBRUSH>(GdiHandles().AddBrush(colour));
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
  DeviceContextState* context = GdiHandles().FindDeviceContext(GdiHandleKey(dc));
  const BrushState* fill = GdiHandles().FindBrush(GdiHandleKey(brush));
  if (context == nullptr || fill == nullptr || rect == nullptr) return 0;
  context->canvas->FillRectangle(*rect, fill->colour);
  return 1;
}

BOOL DeleteObject(HGDIOBJ object) {
  const DWORD key = GdiHandleKey(object);
  const BrushState* brush = GdiHandles().FindBrush(key);
  if (brush == nullptr) return FALSE;
  const COLORREF colour = brush->colour;
  GdiHandles().RemoveBrush(key);
  if (BrushMonitor* monitor = CurrentBrushMonitor()) monitor->BrushDeleted(colour);
  return TRUE;
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  DeviceContextState* context = GdiHandles().FindDeviceContext(GdiHandleKey(dc));
  if (context == nullptr) return CLR_INVALID;
  const COLORREF previous = context->textColour;
  context->textColour = colour;
  context->canvas->SetTextColour(colour);
  return previous;
}

int DrawTextW(HDC dc, LPCWSTR text, int length, LPRECT rect, UINT format) {
  DeviceContextState* context = GdiHandles().FindDeviceContext(GdiHandleKey(dc));
  // -1 is the only negative length with a meaning; any other is refused rather than read.
  if (context == nullptr || text == nullptr || rect == nullptr || length < -1) return 0;
  const size_t count = length == -1 ? WideLength(text) : static_cast<size_t>(length);
  return context->canvas->DrawText(*rect, WStringView(text, count), format);
}

DWORD GetSysColor(int index) {
  return CurrentSystemPalette().Colour(index & ~SYS_COLOR_INDEX_FLAG);
}
