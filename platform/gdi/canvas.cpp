#include "platform/gdi/canvas.h"

#include "platform/gdi/internal/gdi_handle_table.h"

ScopedDeviceContext::ScopedDeviceContext(Canvas& canvas)
    : key_(GdiHandles().AddDeviceContext(canvas)) {}

ScopedDeviceContext::~ScopedDeviceContext() { GdiHandles().RemoveDeviceContext(key_); }

HDC ScopedDeviceContext::handle() const { return GdiHandleFromKey<HDC>(key_); }
