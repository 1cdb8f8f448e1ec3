#include "platform/gdi/brush_monitor.h"

#include "platform/gdi/internal/gdi_handle_table.h"

namespace {

ServiceSlot<BrushMonitor> slot;

}  // namespace

BrushMonitor* InstallBrushMonitor(BrushMonitor* monitor) { return slot.Install(monitor); }

BrushMonitor* CurrentBrushMonitor() { return slot.installed(); }

size_t LiveBrushCount() { return GdiHandles().BrushCount(); }
