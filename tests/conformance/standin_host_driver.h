// The conformance checks' host on the stand-in platform: the built module loaded with dlopen, a
// registry in memory, the settings element and the stream as the tests' fakes, a pixel canvas,
// recorded message boxes, and a device root in a temporary folder. The machine's power status is
// fixed on external power. Everything installed is put back when the driver goes.
#pragma once

#include <memory>
#include <vector>

#include "platform/power/power_source.h"
#include "platform/registry/registry_store_memory.h"
#include "tests/fakes/fake_xml_element.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/temp_folder.h"
#include "windows/conformance/host_driver.h"

class StandInHostDriver : public HostDriver {
 public:
  StandInHostDriver();
  ~StandInHostDriver() override;

  bool RegisterModule() override;
  bool UnregisterModule() override;
  WString ModulePath() const override;
  const ModuleExports& Exports() override;
  HRESULT CreateByClassId(REFCLSID classId, REFIID riid, void** object) override;
  IXMLDOMNode* ParseSettingsElement(const std::vector<SettingsAttribute>& attributes) override;
  IStream* NewStream(const std::vector<BYTE>& bytes) override;
  std::vector<BYTE> StreamBytes(IStream* stream) override;
  std::unique_ptr<PaintSurface> NewSurface(LONG width, LONG height, COLORREF background) override;
  std::vector<ShownMessage> TakeMessages() override;
  WString FileNameInRunFolder(const char* leaf) override;
  std::string TextLineEnd() const override { return "\n"; }
  // The stand-in's VariantChangeType reads decimal integers only, where the desktop's runtime also
  // takes "&H10", fractions rounded to even, exponents, thousands separators and "(5)": those
  // forms take the setting's default here.
  bool ReadsEveryNumberForm() const override { return false; }
  LONG ZoneOffsetMinutesAt(const FILETIME& utc) override;

 private:
  // dlopen of the file, kept open until the driver goes, as COM keeps an activated server.
  void* Load(const std::string& file);

  MemoryRegistryStore registry_;
  ScopedRegistryStore registryGuard_{registry_};
  RecordingMessageBoxes messageBoxes_;
  ScopedMessageBoxSink messageBoxGuard_{messageBoxes_};
  FixedPowerSource power_;
  ScopedPowerSource powerGuard_{power_};
  TempFolder runFolder_;
  ScopedDeviceRoot deviceRootGuard_{runFolder_};

  std::vector<void*> loaded_;
  ModuleExports exports_;
  // The fake elements never delete themselves; the driver owns every one it handed out.
  std::vector<std::unique_ptr<FakeXmlElement>> elements_;
};
