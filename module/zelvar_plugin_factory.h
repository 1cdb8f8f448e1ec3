// The class factory of the plug-in's class. Factories are not counted in ModuleObjectCount: one
// held without a server lock does not keep the module loaded.
#pragma once

#include "platform/api.h"

class CZelvarPluginFactory : public IClassFactory {
 public:
  // Reference count 1.
  CZelvarPluginFactory() = default;

  // IUnknown and IClassFactory give the factory itself; anything else E_NOINTERFACE.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  // Destroys the factory when the count reaches zero.
  ULONG STDMETHODCALLTYPE Release() override;

  // Creates one CZelvarPlugin and hands out the requested interface of it: CLASS_E_NOAGGREGATION
  // for an outer object, E_NOINTERFACE when the plug-in does not offer the interface,
  // E_OUTOFMEMORY, E_POINTER for a null out pointer. After a failure no object is left behind.
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppvObject) override;
  // Adds a server lock for a non-zero flag, removes one otherwise; always S_OK. Unmatched unlocks
  // take ModuleObjectCount below zero.
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 protected:
  // Last in the interface table, after LockServer.
  virtual ~CZelvarPluginFactory() = default;

 private:
  LONG referenceCount_ = 1;
};
