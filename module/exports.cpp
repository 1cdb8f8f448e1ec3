#include "module/exports.h"

#include <new>

#include "module/zelvar_plugin_factory.h"
#include "plugin/module_object_count.h"
#include "plugin/zelvar_plugin.h"

STDAPI DllGetClassObject(REFCLSID classId, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(classId, CLSID_ZelvarPlugin)) return CLASS_E_CLASSNOTAVAILABLE;
  CZelvarPluginFactory* factory = new (std::nothrow) CZelvarPluginFactory;
  if (factory == nullptr) return E_OUTOFMEMORY;
  const HRESULT query = factory->QueryInterface(riid, ppv);
  // The caller keeps the factory only through the reference the query handed out.
  factory->Release();
  return FAILED(query) ? E_NOINTERFACE : S_OK;
}

STDAPI DllCanUnloadNow() { return ModuleObjectCount == 0 ? S_OK : S_FALSE; }
