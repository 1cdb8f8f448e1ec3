// The site the host gives the plug-in: one COM object offering HostEnvironment (repaints and
// one-shot timers) and HostColourLookup (the current scheme's colours). It lives as long as
// someone holds a reference; the timer queue, line state and schemes it refers to must outlive
// every holder (the host releases the plug-in before they go).
#pragma once

#include "host/hosting/colour_scheme.h"
#include "host/hosting/line_state.h"
#include "host/hosting/timer_queue.h"
#include "com_toolkit/com_object.h"
#include "com_toolkit/com_ptr.h"
#include "plugin_host/home_screen_plugin.h"

class HostSite final : public ComObject<Face<HostEnvironment, IID_HostEnvironment>,
                                        Face<HostColourLookup, IID_HostColourLookup>> {
 public:
  // A new site with one reference, the caller's.
  static ComPtr<HostSite> Create(TimerQueue& timers, LineState& line, const ColourSchemes& schemes);

  // Marks the line for a PE_PAINT; flags are not used.
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) override;
  // Adds one deadline, the installed clock's now plus the delay.
  HRESULT STDMETHODCALLTYPE ScheduleTimer(PluginHandle handle, DWORD milliseconds) override;

  // The home screen has no named fonts or metrics: E_NOTIMPL with 0.
  HRESULT STDMETHODCALLTYPE GetFont(PluginHandle handle, LPCWSTR name, DWORD* font) override;
  HRESULT STDMETHODCALLTYPE GetMetric(PluginHandle handle, LPCWSTR name, LONG* metric) override;
  // The current scheme's colour of that name; E_INVALIDARG for a name the scheme does not define
  // and E_POINTER for a null argument, both leaving *colour as it was.
  HRESULT STDMETHODCALLTYPE GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) override;

 private:
  HostSite(TimerQueue& timers, LineState& line, const ColourSchemes& schemes)
      : timers_(timers), line_(line), schemes_(schemes) {}
  ~HostSite() override = default;

  TimerQueue& timers_;
  LineState& line_;
  const ColourSchemes& schemes_;
};
