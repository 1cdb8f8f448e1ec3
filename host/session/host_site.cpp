#include "host/session/host_site.h"

#include <optional>

#include "platform/time/clock.h"

ComPtr<HostSite> HostSite::Create(TimerQueue& timers, LineState& line, const ColourSchemes& schemes) {
  return ComPtr<HostSite>::Adopt(new HostSite(timers, line, schemes));
}

HRESULT HostSite::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_HostEnvironment) {
    *object = static_cast<HostEnvironment*>(this);
  } else if (iid == IID_HostColourLookup) {
    *object = static_cast<HostColourLookup*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG HostSite::AddRef() { return ++references_; }

ULONG HostSite::Release() {
  const ULONG remaining = --references_;
  if (remaining == 0) delete this;
  return remaining;
}

HRESULT HostSite::RequestRepaint(PluginHandle, DWORD) {
  line_.repaintRequested = true;
  return S_OK;
}

HRESULT HostSite::ScheduleTimer(PluginHandle handle, DWORD milliseconds) {
  timers_.Schedule(handle, milliseconds, CurrentClock().UtcNow());
  return S_OK;
}

HRESULT HostSite::GetFont(PluginHandle, LPCWSTR, DWORD* font) {
  if (font != nullptr) *font = 0;
  return E_NOTIMPL;
}

HRESULT HostSite::GetMetric(PluginHandle, LPCWSTR, LONG* metric) {
  if (metric != nullptr) *metric = 0;
  return E_NOTIMPL;
}

HRESULT HostSite::GetColor(PluginHandle, LPCWSTR name, DWORD* colour) {
  if (name == nullptr || colour == nullptr) return E_POINTER;
  const std::optional<COLORREF> found = NamedColour(schemes_.Current(), name);
  if (!found) return E_INVALIDARG;
  *colour = *found;
  return S_OK;
}
