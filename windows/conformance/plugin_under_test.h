// One plug-in object as the home screen holds it: activated by class id, given the site, driven
// through both faces, and released (site taken away first) when the object goes.
#pragma once

#include <vector>

#include "com_toolkit/com_ptr.h"
#include "plugin_host/home_screen_plugin.h"
#include "plugin_host/saved_configuration.h"
#include "windows/conformance/check_report.h"
#include "windows/conformance/host_driver.h"

// {FDEA2F9B-0266-11cf-BAA6-00AA003E0E01}, the class the module registers.
inline constexpr CLSID kZelvarPluginClass = {
    0xFDEA2F9B, 0x0266, 0x11CF, {0xBA, 0xA6, 0x00, 0xAA, 0x00, 0x3E, 0x0E, 0x01}};

// The persisted record for a check's message.
std::string Show(const SavedConfiguration& configuration);

class PluginUnderTest {
 public:
  // Creates the plug-in by its class id and, with a site, calls SetSite. A failure is reported
  // once, and every later call then does nothing.
  PluginUnderTest(HostDriver& driver, CheckReport& report, IUnknown* site);
  ~PluginUnderTest();
  PluginUnderTest(const PluginUnderTest&) = delete;
  PluginUnderTest& operator=(const PluginUnderTest&) = delete;

  bool created() const { return plugin_ && persist_; }
  HomeScreenPlugin* plugin() const { return plugin_.Get(); }
  IPersistStream* persist() const { return persist_.Get(); }

  HRESULT Initialize(PluginHandle handle, const std::vector<SettingsAttribute>& attributes);
  // What Save writes into a fresh stream.
  std::vector<BYTE> Save();
  HRESULT Load(const std::vector<BYTE>& bytes);
  HRESULT Event(PluginEvent event);
  HRESULT Key(WORD keyCode);
  HRESULT Paint(const PaintSurface& surface, bool selected, const RECT& rect);
  // Takes the site away and releases the object now.
  void Release();

 private:
  HostDriver& driver_;
  ComPtr<HomeScreenPlugin> plugin_;
  ComPtr<IPersistStream> persist_;
};
