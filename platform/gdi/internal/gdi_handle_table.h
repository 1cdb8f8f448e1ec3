// The table behind GDI handles: a device context or brush handle is a small integer key into it,
// never an address, so a stale or made-up handle is found missing instead of being followed.
// Handle values are not reused until the 32-bit counter wraps, so a closed handle stays invalid.
// Drawing happens on the host's one thread, as on the device; the table has no lock.
#pragma once

#ifndef ZELVAR_GDI_INTERNALS
#error \
    "internal to the platform's gdi family: only platform_gdi and its tests (platform_gdi_internals) include it"
#endif

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <variant>

#include "platform/gdi/gdi.h"

class Canvas;

struct DeviceContextState {
  Canvas* canvas;
  COLORREF textColour;
};

struct BrushState {
  COLORREF colour;
};

class GdiHandleTable {
 public:
  DWORD AddDeviceContext(Canvas& canvas);
  DWORD AddBrush(COLORREF colour);
  // nullptr when the handle is unknown, closed or of the other kind.
  DeviceContextState* FindDeviceContext(DWORD handle);
  BrushState* FindBrush(DWORD handle);
  void RemoveDeviceContext(DWORD handle);
  void RemoveBrush(DWORD handle);
  size_t BrushCount() const;

 private:
  using Entry = std::variant<DeviceContextState, BrushState>;
  DWORD Add(Entry entry);
  template <typename State>
  State* Find(DWORD handle);

  std::unordered_map<DWORD, Entry> entries_;
  DWORD lastHandle_ = 0;
};

// The one table of the platform, shared by the module and the host.
GdiHandleTable& GdiHandles();

// The table key in a handle; 0, which is never a key, when the handle does not fit in 32 bits.
inline DWORD GdiHandleKey(const void* handle) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  return value > UINT32_MAX ? 0 : static_cast<DWORD>(value);
}

template <typename Handle>
Handle GdiHandleFromKey(DWORD key) {
  return reinterpret_cast<Handle>(static_cast<uintptr_t>(key));
}
