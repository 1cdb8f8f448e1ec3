// The home screen as the conformance program plays it: a site that offers HostEnvironment, which
// records every request and may offer HostColourLookup with a colour scheme of its own. The objects
// live on the checks' stack; their counts show whether the plug-in returned every reference.
#pragma once

#include <map>
#include <vector>

#include "platform/com/toolkit/com_object.h"
#include "plugin/host/home_screen_plugin.h"

class TestColourLookup : public ScopedComObject<Face<HostColourLookup, IID_HostColourLookup>> {
 public:
  TestColourLookup& WithColour(const WString& name, DWORD colour);
  // GetColor answers this result for the name and writes nothing.
  TestColourLookup& FailColour(const WString& name, HRESULT result);

  HRESULT STDMETHODCALLTYPE GetFont(PluginHandle, LPCWSTR, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMetric(PluginHandle, LPCWSTR, LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) override;

  struct Lookup {
    PluginHandle handle;
    WString name;
  };
  std::vector<Lookup> lookups;

 private:
  std::map<WString, DWORD> colours_;
  std::map<WString, HRESULT> failures_;
};

class TestHostEnvironment : public ScopedComObject<Face<HostEnvironment, IID_HostEnvironment>> {
 public:
  // With a lookup, QueryInterface for HostColourLookup hands it out.
  explicit TestHostEnvironment(TestColourLookup* colours = nullptr) : colours_(colours) {}

  // Also HostColourLookup when it has a lookup.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE ScheduleTimer(PluginHandle handle, DWORD milliseconds) override;

  struct Call {
    PluginHandle handle;
    DWORD argument;  // the flags of a repaint, the delay of a timer
  };
  std::vector<Call> repaints;
  std::vector<Call> timers;

  void ForgetCalls() {
    repaints.clear();
    timers.clear();
  }

 private:
  TestColourLookup* colours_;
};

class TestSite : public ScopedComObject<Face<IUnknown, IID_IUnknown>> {
 public:
  explicit TestSite(TestHostEnvironment& environment) : environment_(environment) {}

  // Also the environment's HostEnvironment.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;

 private:
  TestHostEnvironment& environment_;
};
