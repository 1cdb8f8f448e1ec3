// The plug-in object: the HomeScreenPlugin face (with its event dispatch) and the IPersistStream
// face share one identity and one reference count, and the object holds all of the plug-in's state.
#pragma once

#include "platform/api.h"
#include "plugin_host/home_screen_plugin.h"
#include "plugin/plugin_base.h"
#include "plugin_state/plugin_state.h"
#include "plugin_host/zelvar_class_id.h"

class CZelvarPlugin : public PluginBase<CZelvarPlugin>, public IPersistStream {
 public:
  // Reference count 1; adds one to ModuleObjectCount.
  CZelvarPlugin();

  // IUnknown, shared by both faces.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IObjectWithSite.
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID riid, void** ppvSite) override;

  // HomeScreenPlugin (OnEvent comes from PluginBase).
  HRESULT STDMETHODCALLTYPE Initialize(PluginHandle handle, IXMLDOMNode* settings) override;
  HRESULT STDMETHODCALLTYPE GetHeight(LONG* height) override;
  HRESULT STDMETHODCALLTYPE GetSelectability(BOOL* selectable) override;

  // IPersistStream.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override;
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;

  // Event handlers, called by the dispatch.
  void OnNavigationKey();
  void OnAction();
  void OnPaint(const PluginEvent& event);
  void OnSysColorChange();
  void OnTimerEvent();

  const PluginState& state() const { return state_; }

 protected:
  // Flushes pending drops to the stat file, then lowers ModuleObjectCount. The HostEnvironment is
  // released by SetSite only.
  ~CZelvarPlugin() override;

 private:
  LONG referenceCount_ = 1;
  PluginState state_;
};
