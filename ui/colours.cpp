#include "ui/colours.h"

#include <cstdio>

#include "plugin_host/home_screen_plugin.h"
#include "plugin_host/plugin_messages.h"

namespace {

DWORD SystemColour(int index) { return GetSysColor(index | SYS_COLOR_INDEX_FLAG); }

void LookUp(PluginState& state, HostColourLookup& lookup, const char* name, DWORD& field) {
  const HRESULT hr = lookup.GetColor(state.handle, WidenLatin1(name).c_str(), &field);
  if (SUCCEEDED(hr)) return;
  char message[256];
  std::snprintf(message, sizeof message, "%s%s), err[%08x]", kColourLookupFailedStart, name,
                static_cast<unsigned>(hr));
  MessageBoxW(nullptr, WidenLatin1(message).c_str(), TEXT("CZelvarPlugin"), MB_OK | MB_ICONERROR);
}

}  // namespace

ColourSet SystemColours() {
  return ColourSet{SystemColour(COLOR_STATICTEXT), SystemColour(COLOR_HIGHLIGHTTEXT),
                   SystemColour(COLOR_HIGHLIGHT)};
}

void FetchColours(PluginState& state) {
  void* found = nullptr;
  if (state.hostEnvironment == nullptr ||
      FAILED(state.hostEnvironment->QueryInterface(IID_HostColourLookup, &found)) ||
      found == nullptr) {
    state.colours = SystemColours();
    return;
  }
  auto* lookup = static_cast<HostColourLookup*>(found);
  LookUp(state, *lookup, "COLOR_HOMETEXT", state.colours.textColour);
  LookUp(state, *lookup, "COLOR_HOMEHIGHLIGHTTEXT", state.colours.highlightTextColour);
  LookUp(state, *lookup, "COLOR_HOMEHIGHLIGHT", state.colours.highlightColour);
  lookup->Release();
}
