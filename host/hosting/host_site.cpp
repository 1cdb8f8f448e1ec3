#include "host/hosting/host_site.h"

#include <optional>

#include "platform/time/clock.h"

ComPtr<HostSite> HostSite::Create(TimerQueue& timers, LineState& line,
                                  const ColourSchemes& schemes) {
  return ComPtr<HostSite>::Adopt(new HostSite(timers, line, schemes));
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
