#include "windows/conformance/test_host.h"

TestColourLookup& TestColourLookup::WithColour(const WString& name, DWORD colour) {
  colours_[name] = colour;
  return *this;
}

TestColourLookup& TestColourLookup::FailColour(const WString& name, HRESULT result) {
  failures_[name] = result;
  return *this;
}

HRESULT TestColourLookup::QueryInterface(REFIID riid, void** out) {
  OnUnexpectedCall("QueryInterface on the colour lookup");
  return BasicComObject::QueryInterface(riid, out);
}

HRESULT TestColourLookup::GetFont(PluginHandle, LPCWSTR, DWORD*) {
  OnUnexpectedCall("GetFont");
  return E_NOTIMPL;
}

HRESULT TestColourLookup::GetMetric(PluginHandle, LPCWSTR, LONG*) {
  OnUnexpectedCall("GetMetric");
  return E_NOTIMPL;
}

HRESULT TestColourLookup::GetColor(PluginHandle handle, LPCWSTR name, DWORD* colour) {
  const WString key = name != nullptr ? WString(name) : WString();
  lookups.push_back({handle, key});
  if (auto failure = failures_.find(key); failure != failures_.end()) return failure->second;
  auto found = colours_.find(key);
  if (found == colours_.end()) return E_INVALIDARG;
  *colour = found->second;
  return S_OK;
}

HRESULT TestHostEnvironment::QueryInterface(REFIID riid, void** out) {
  if (out != nullptr && colours_ != nullptr && IsEqualIID(riid, IID_HostColourLookup)) {
    colours_->AddRef();
    *out = static_cast<HostColourLookup*>(colours_);
    return S_OK;
  }
  return BasicComObject::QueryInterface(riid, out);
}

HRESULT TestHostEnvironment::RequestRepaint(PluginHandle handle, DWORD flags) {
  repaints.push_back({handle, flags});
  return S_OK;
}

HRESULT TestHostEnvironment::ScheduleTimer(PluginHandle handle, DWORD milliseconds) {
  timers.push_back({handle, milliseconds});
  return S_OK;
}

HRESULT TestSite::QueryInterface(REFIID riid, void** out) {
  if (IsEqualIID(riid, IID_HostEnvironment)) {
    if (environment_ != nullptr) return environment_->QueryInterface(riid, out);
    if (out != nullptr) *out = nullptr;
    return failure_;
  }
  return BasicComObject::QueryInterface(riid, out);
}
