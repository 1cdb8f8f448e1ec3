// Watches the brushes that the platform makes and frees: a host or a test installs a monitor to
// see them (or to refuse one, which makes CreateSolidBrush answer null), and can count the live
// ones to find leaks.
#pragma once

#include <cstddef>

#include "platform/gdi/gdi.h"
#include "platform/scoped_service.h"

class BrushMonitor {
 public:
  virtual ~BrushMonitor() = default;
  // Asked before a brush of the colour is made; false refuses it.
  virtual bool BrushCreating(COLORREF colour) = 0;
  virtual void BrushDeleted(COLORREF colour) = 0;
};

// Without an installed monitor every brush is made and nobody is told.
BrushMonitor* InstallBrushMonitor(BrushMonitor* monitor);
using ScopedBrushMonitor = ScopedService<BrushMonitor, InstallBrushMonitor>;
// The installed monitor, or nullptr.
BrushMonitor* CurrentBrushMonitor();

// Brushes made and not yet deleted.
size_t LiveBrushCount();
