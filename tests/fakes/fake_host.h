// A strict fake of the home screen host: a site that offers HostEnvironment, which records every
// request and may offer HostColourLookup with a colour scheme of its own.
#pragma once

#include <map>
#include <vector>

#include "plugin/host/home_screen_plugin.h"
#include "platform/com/toolkit/com_object.h"

class FakeColourLookup : public ScopedComObject<Face<HostColourLookup, IID_HostColourLookup>> {
 public:
  FakeColourLookup& WithColour(const WString& name, DWORD colour);
  // GetColor answers this result for the name (and writes nothing).
  FakeColourLookup& FailColour(const WString& name, HRESULT result);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override;
  HRESULT STDMETHODCALLTYPE GetFont(PluginHandle, LPCWSTR, DWORD*) override;
  HRESULT STDMETHODCALLTYPE GetMetric(PluginHandle, LPCWSTR, LONG*) override;
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

class FakeHostEnvironment : public ScopedComObject<Face<HostEnvironment, IID_HostEnvironment>> {
 public:
  // With a lookup, QueryInterface for HostColourLookup hands it out.
  explicit FakeHostEnvironment(FakeColourLookup* colours = nullptr) : colours_(colours) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  HRESULT STDMETHODCALLTYPE RequestRepaint(PluginHandle handle, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE ScheduleTimer(PluginHandle handle, DWORD milliseconds) override;

  struct Call {
    PluginHandle handle;
    DWORD argument;  // the flags of a repaint, the delay of a timer
  };
  std::vector<Call> repaints;
  std::vector<Call> timers;

 private:
  FakeColourLookup* colours_;
};

class FakeSite : public ScopedComObject<Face<IUnknown, IID_IUnknown>> {
 public:
  // A site that offers the environment, or (with a null environment) fails the query with result.
  explicit FakeSite(FakeHostEnvironment* environment, HRESULT failure = E_NOINTERFACE)
      : environment_(environment), failure_(failure) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;

 private:
  FakeHostEnvironment* environment_;
  HRESULT failure_;
};
