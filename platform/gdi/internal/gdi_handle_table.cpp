#include "platform/gdi/internal/gdi_handle_table.h"

DWORD GdiHandleTable::AddDeviceContext(Canvas& canvas) {
  // A fresh device context draws black text until told otherwise, as on the device.
  return Add(DeviceContextState{&canvas, RGB(0, 0, 0)});
}

DWORD GdiHandleTable::AddBrush(COLORREF colour) { return Add(BrushState{colour}); }

DeviceContextState* GdiHandleTable::FindDeviceContext(DWORD handle) {
  return Find<DeviceContextState>(handle);
}

BrushState* GdiHandleTable::FindBrush(DWORD handle) { return Find<BrushState>(handle); }

void GdiHandleTable::RemoveDeviceContext(DWORD handle) {
  if (FindDeviceContext(handle) != nullptr) entries_.erase(handle);
}

void GdiHandleTable::RemoveBrush(DWORD handle) {
  if (FindBrush(handle) != nullptr) entries_.erase(handle);
}

size_t GdiHandleTable::BrushCount() const {
  size_t count = 0;
  for (const auto& [handle, entry] : entries_) count += std::holds_alternative<BrushState>(entry);
  return count;
}

DWORD GdiHandleTable::Add(Entry entry) {
  do {
    ++lastHandle_;
  } while (lastHandle_ == 0 || entries_.contains(lastHandle_));
  entries_.emplace(lastHandle_, entry);
  return lastHandle_;
}

template <typename State>
State* GdiHandleTable::Find(DWORD handle) {
  const auto found = entries_.find(handle);
  return found == entries_.end() ? nullptr : std::get_if<State>(&found->second);
}

GdiHandleTable& GdiHandles() {
  static GdiHandleTable table;
  return table;
}
