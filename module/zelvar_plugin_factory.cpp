#include "module/zelvar_plugin_factory.h"

#include <new>

#include "plugin/module_object_count.h"
#include "plugin/zelvar_plugin.h"

HRESULT CZelvarPluginFactory::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) {
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }
  *ppvObject = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG CZelvarPluginFactory::AddRef() { return static_cast<ULONG>(++referenceCount_); }

ULONG CZelvarPluginFactory::Release() {
  const LONG count = --referenceCount_;
  if (count > 0) return static_cast<ULONG>(count);
  delete this;
  return 0;
}

HRESULT CZelvarPluginFactory::CreateInstance(IUnknown* outer, REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  CZelvarPlugin* plugin = new (std::nothrow) CZelvarPlugin;
  if (plugin == nullptr) return E_OUTOFMEMORY;
  const HRESULT query = plugin->QueryInterface(riid, ppvObject);
  // The object lives on only through the reference the query handed out; after a failed query
  // this destroys it and takes it off ModuleObjectCount again.
  plugin->Release();
  return FAILED(query) ? E_NOINTERFACE : S_OK;
}

HRESULT CZelvarPluginFactory::LockServer(BOOL lock) {
  if (lock) {
    ++ModuleObjectCount;
  } else {
    --ModuleObjectCount;
  }
  return S_OK;
}
