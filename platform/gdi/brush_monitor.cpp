#include "platform/gdi/brush_monitor.h"

#include "platform/gdi/internal/gdi_handle_table.h"

namespace {

BrushMonitor* installedMonitor = nullptr;

}  // namespace

BrushMonitor* InstallBrushMonitor(BrushMonitor* monitor) {
  BrushMonitor* previous = installedMonitor;
  installedMonitor = monitor;
  return previous;
}

BrushMonitor* CurrentBrushMonitor() { return installedMonitor; }

size_t LiveBrushCount() { return GdiHandles().BrushCount(); }
