#include "plugin/zelvar_plugin.h"

#include "plugin/debug_trace.h"
#include "plugin/module_object_count.h"
#include "plugin/settings_reader.h"

CZelvarPlugin::CZelvarPlugin() { ++ModuleObjectCount; }

CZelvarPlugin::~CZelvarPlugin() { --ModuleObjectCount; }

HRESULT CZelvarPlugin::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IObjectWithSite) ||
      IsEqualIID(riid, IID_HomeScreenPlugin)) {
    *ppvObject = static_cast<HomeScreenPlugin*>(this);
  } else if (IsEqualIID(riid, IID_IPersist) || IsEqualIID(riid, IID_IPersistStream)) {
    *ppvObject = static_cast<IPersistStream*>(this);
  } else {
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG CZelvarPlugin::AddRef() { return static_cast<ULONG>(++referenceCount_); }

ULONG CZelvarPlugin::Release() {
  const LONG count = --referenceCount_;
  if (count > 0) return static_cast<ULONG>(count);
  delete this;
  return 0;
}

HRESULT CZelvarPlugin::SetSite(IUnknown* site) {
  if (state_.hostEnvironment != nullptr) {
    state_.hostEnvironment->Release();
    state_.hostEnvironment = nullptr;
  }
  if (site == nullptr) return S_OK;
  void* environment = nullptr;
  const HRESULT hr = site->QueryInterface(IID_HostEnvironment, &environment);
  // A failing site may still have written its out pointer: hold nothing after a failure.
  if (FAILED(hr)) return hr;
  state_.hostEnvironment = static_cast<HostEnvironment*>(environment);
  return hr;
}

HRESULT CZelvarPlugin::GetSite(REFIID riid, void** ppvSite) {
  if (state_.hostEnvironment == nullptr) {
    if (ppvSite != nullptr) *ppvSite = nullptr;
    return E_FAIL;
  }
  return state_.hostEnvironment->QueryInterface(riid, ppvSite);
}

HRESULT CZelvarPlugin::Initialize(PluginHandle handle, IXMLDOMNode* settings) {
  DebugTrace("CZelvarPlugin::Initialize called \r\n");
  state_.handle = handle;
  ReadSettings(settings, state_.settings);
  state_.StatusText = TEXT("Battery plugin. Initializing...");
  return S_OK;
}

HRESULT CZelvarPlugin::GetHeight(LONG* height) {
  DebugTrace("CZelvarPlugin::GetHeight called \r\n");
  if (height == nullptr) return E_POINTER;
  *height = 20;
  return S_OK;
}

HRESULT CZelvarPlugin::GetSelectability(BOOL* selectable) {
  DebugTrace("CZelvarPlugin::GetSelectability called \r\n");
  if (selectable == nullptr) return E_POINTER;
  *selectable = TRUE;
  return S_OK;
}

HRESULT CZelvarPlugin::GetClassID(CLSID* classId) {
  if (classId == nullptr) return E_POINTER;
  *classId = CLSID_ZelvarPlugin;
  return S_OK;
}

HRESULT CZelvarPlugin::IsDirty() { return S_OK; }

HRESULT CZelvarPlugin::Load(IStream* /*stream*/) { return E_NOTIMPL; }

HRESULT CZelvarPlugin::Save(IStream* /*stream*/, BOOL /*clearDirty*/) { return E_NOTIMPL; }

HRESULT CZelvarPlugin::GetSizeMax(ULARGE_INTEGER* /*size*/) { return E_NOTIMPL; }

void CZelvarPlugin::OnNavigationKey() {}

void CZelvarPlugin::OnAction() {}

void CZelvarPlugin::OnPaint(const PluginEvent& /*event*/) {}

void CZelvarPlugin::OnSysColorChange() {}

void CZelvarPlugin::OnTimerEvent() {}
