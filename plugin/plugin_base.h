// The plug-in's primary face: the HomeScreenPlugin interface and its event dispatch. The concrete
// plug-in supplies the handlers (statically, so the interface's vtable ends with OnEvent and the
// destructor).
#pragma once

#include "platform/api.h"
#include "plugin/debug_trace.h"
#include "plugin_host/home_screen_plugin.h"

template <typename Plugin>
class PluginBase : public HomeScreenPlugin {
 public:
  // Reads the event type as unsigned; types above PE_DATACHANGE are ignored without a trace. Every
  // event answers S_OK, whatever its handler does. A null record is ignored.
  HRESULT STDMETHODCALLTYPE OnEvent(PluginEvent* event) override {
    if (event == nullptr) return S_OK;
    Plugin& plugin = static_cast<Plugin&>(*this);
    switch (event->type) {
      case PE_KEYDOWN:
        DebugTrace("PluginBase::OnEvent - PE_KEYDOWN\r\n");
        if (event->key.keyCode == kVirtualKeyLeft || event->key.keyCode == kVirtualKeyRight)
          plugin.OnNavigationKey();
        break;
      case PE_ACTION:
        DebugTrace("PluginBase::OnEvent - PE_ACTION\r\n");
        plugin.OnAction();
        break;
      case PE_PAINT:
        DebugTrace("PluginBase::OnEvent - PE_PAINT\r\n");
        plugin.OnPaint(*event);
        break;
      case PE_SYSCOLORCHANGE:
        DebugTrace("PluginBase::OnEvent - PE_SYSCOLORCHANGE\r\n");
        plugin.OnSysColorChange();
        break;
      case PE_TIMER:
        DebugTrace("PluginBase::OnEvent - PE_TIMER\r\n");
        plugin.OnTimerEvent();
        break;
      case PE_DATACHANGE:
        DebugTrace("PluginBase::OnEvent - PE_DATACHANGE\r\n");
        break;
      default:
        break;
    }
    return S_OK;
  }

  virtual ~PluginBase() = default;
};
