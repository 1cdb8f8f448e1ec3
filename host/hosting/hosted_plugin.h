// The plug-in driven in the order it expects: SetSite with the host's site, Initialize with its
// settings element, Load; then its height and selectability, and events, all on this thread; at
// the end Save, SetSite(nullptr), the last Release, and the module unloaded.
#pragma once

#include <optional>
#include <vector>

#include "host/hosting/activation/module_activation.h"
#include "platform/gdi/canvas.h"

class HostedPlugin {
 public:
  // The host shows one plug-in; this is its handle.
  static constexpr PluginHandle kHandle = 1;

  // Starts the plug-in. Load always runs, since only Load starts the plug-in's timer and reads its
  // stat file: from the saved stream when there is one (its settings then replace the element's),
  // otherwise from a stream that Save wrote right after Initialize, so the element's settings
  // apply. Throws HostError, before any call, when the plug-in does not offer IPersistStream.
  HostedPlugin(ActivatedPlugin plugin, IUnknown* site, IXMLDOMNode* element,
               const std::optional<std::vector<BYTE>>& savedStream);
  // Stops the plug-in without saving when Stop was not called (a failure on the way out).
  ~HostedPlugin();
  HostedPlugin(const HostedPlugin&) = delete;
  HostedPlugin& operator=(const HostedPlugin&) = delete;

  LONG height() const { return height_; }
  bool selectable() const { return selectable_; }

  void Timer();
  // PE_PAINT into the canvas through a device context that lives for this paint only.
  void Paint(Canvas& canvas, const RECT& line, bool selected);
  void KeyDown(WORD keyCode);
  void Action();
  void ColourChange();

  // What the plug-in would save now (Save, leaving it dirty).
  std::vector<BYTE> Snapshot() const;

  // Saves the plug-in's state, takes its site away, releases it and unloads the module if it
  // allows. Answers the saved stream.
  std::vector<BYTE> Stop();
  bool stopped() const { return stopped_; }
  // The count the plug-in's last Release answered: 0 when the host held the last reference.
  ULONG referencesLeft() const { return referencesLeft_; }
  const InprocServer& server() const { return plugin_.server(); }

 private:
  void Send(PluginEventType type);
  void Shutdown();

  ActivatedPlugin plugin_;
  ComPtr<IPersistStream> persist_;
  LONG height_ = 0;
  bool selectable_ = false;
  bool stopped_ = false;
  ULONG referencesLeft_ = 0;
};
