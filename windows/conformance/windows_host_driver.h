// The conformance checks' host on Windows: the real runtime answers every call. Needs COM
// initialised (single-threaded apartment) on the calling thread.
#pragma once

#include "windows/conformance/host_driver.h"
#include "windows/conformance/message_box_watcher.h"

class WindowsHostDriver : public HostDriver {
 public:
  // modulePath: the built zelvarplug.dll.
  explicit WindowsHostDriver(const WString& modulePath);
  ~WindowsHostDriver() override;

  bool RegisterModule() override;
  bool UnregisterModule() override;
  WString ModulePath() const override { return modulePath_; }
  const ModuleExports& Exports() override;
  HRESULT CreateByClassId(REFCLSID classId, REFIID riid, void** object) override;
  IXMLDOMNode* ParseSettingsElement(const std::vector<SettingsAttribute>& attributes) override;
  IStream* NewStream(const std::vector<BYTE>& bytes) override;
  std::vector<BYTE> StreamBytes(IStream* stream) override;
  std::unique_ptr<PaintSurface> NewSurface(LONG width, LONG height, COLORREF background) override;
  std::vector<ShownMessage> TakeMessages() override { return watcher_.Take(); }
  WString FileNameInRunFolder(const char* leaf) override;
  std::string TextLineEnd() const override { return "\r\n"; }
  bool ReadsEveryNumberForm() const override { return true; }
  LONG ZoneOffsetMinutesAt(const FILETIME& utc) override;

 private:
  // Runs regsvr32 silently with the extra switch; true for exit code 0.
  bool RunRegsvr32(const WString& switches);

  WString modulePath_;
  HMODULE module_ = nullptr;
  ModuleExports exports_;
  WString runFolder_;
  MessageBoxWatcher watcher_;
};
