// The home screen as the conformance program and the tests play it: a site that offers
// HostEnvironment, which records every request and may offer HostColourLookup with a colour scheme
// of its own. The objects live on the caller's stack; outstanding() shows whether the plug-in
// returned every reference. Calls a plug-in has no reason to make go to OnUnexpectedCall, which the
// tests turn into failures (tests/fakes/fake_host.h); the conformance program lets them pass.
#pragma once

#include <map>
#include <vector>

#include "com_toolkit/com_object.h"
#include "plugin_host/home_screen_plugin.h"

class TestColourLookup : public ScopedComObject<Face<HostColourLookup, IID_HostColourLookup>> {
 public:
  TestColourLookup& WithColour(const WString& name, DWORD colour);
  // GetColor answers this result for the name and writes nothing.
  TestColourLookup& FailColour(const WString& name, HRESULT result);

  // Unexpected: the plug-in gets the lookup from the environment and has no reason to ask it.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  // Unexpected; E_NOTIMPL.
  HRESULT STDMETHODCALLTYPE GetFont(PluginHandle, LPCWSTR, DWORD*) override;
  HRESULT STDMETHODCALLTYPE GetMetric(PluginHandle, LPCWSTR, LONG*) override;
  // The colour given for the name; E_INVALIDARG for a name the scheme lacks.
  HRESULT STDMETHODCALLTYPE GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) override;

  struct Lookup {
    PluginHandle handle;
    WString name;
  };
  std::vector<Lookup> lookups;

 protected:
  virtual void OnUnexpectedCall(const char* /*call*/) {}

 private:
  std::map<WString, DWORD> colours_;
  std::map<WString, HRESULT> failures_;
};

class TestHostEnvironment : public ScopedComObject<Face<HostEnvironment, IID_HostEnvironment>> {
 public:
  // With a lookup, QueryInterface for HostColourLookup hands it out.
  explicit TestHostEnvironment(TestColourLookup* colours = nullptr) : colours_(colours) {}

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
  // A site that offers the environment's HostEnvironment, or (with a null environment) fails the
  // query with the given result.
  explicit TestSite(TestHostEnvironment* environment, HRESULT failure = E_NOINTERFACE)
      : environment_(environment), failure_(failure) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;

 private:
  TestHostEnvironment* environment_;
  HRESULT failure_;
};
