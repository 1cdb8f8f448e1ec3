#include "tests/fakes/fake_host.h"

#include <gtest/gtest.h>

FakeColourLookup& FakeColourLookup::WithColour(const WString& name, DWORD colour) {
  colours_[name] = colour;
  return *this;
}

FakeColourLookup& FakeColourLookup::FailColour(const WString& name, HRESULT result) {
  failures_[name] = result;
  return *this;
}

HRESULT FakeColourLookup::QueryInterface(REFIID, void** out) {
  ADD_FAILURE() << "unexpected QueryInterface on the colour lookup";
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT FakeColourLookup::GetFont(PluginHandle, LPCWSTR, DWORD*) {
  ADD_FAILURE() << "the plug-in called GetFont";
  return E_NOTIMPL;
}

HRESULT FakeColourLookup::GetMetric(PluginHandle, LPCWSTR, LONG*) {
  ADD_FAILURE() << "the plug-in called GetMetric";
  return E_NOTIMPL;
}

HRESULT FakeColourLookup::GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) {
  const WString key(name);
  lookups.push_back({handle, key});
  if (auto failure = failures_.find(key); failure != failures_.end()) return failure->second;
  auto found = colours_.find(key);
  if (found == colours_.end()) return E_FAIL;
  *colour = found->second;
  return S_OK;
}

HRESULT FakeHostEnvironment::QueryInterface(REFIID riid, void** out) {
  if (IsEqualIID(riid, IID_HostColourLookup) && colours_ != nullptr) {
    colours_->AddRef();
    *out = static_cast<HostColourLookup*>(colours_);
    return S_OK;
  }
  return BasicComObject::QueryInterface(riid, out);
}

HRESULT FakeHostEnvironment::RequestRepaint(PluginHandle handle, DWORD flags) {
  repaints.push_back({handle, flags});
  return S_OK;
}

HRESULT FakeHostEnvironment::ScheduleTimer(PluginHandle handle, DWORD milliseconds) {
  timers.push_back({handle, milliseconds});
  return S_OK;
}

HRESULT FakeSite::QueryInterface(REFIID riid, void** out) {
  if (IsEqualIID(riid, IID_HostEnvironment) && environment_ != nullptr) {
    environment_->AddRef();
    *out = static_cast<HostEnvironment*>(environment_);
    return S_OK;
  }
  *out = nullptr;
  return environment_ != nullptr ? E_NOINTERFACE : failure_;
}
