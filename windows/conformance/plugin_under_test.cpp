#include "windows/conformance/plugin_under_test.h"

std::string Show(const SavedConfiguration& c) {
  return "{handle " + std::to_string(c.handle) + ", RefreshTimeout " +
         std::to_string(c.RefreshTimeout) + ", MaxHistoryDays " + std::to_string(c.MaxHistoryDays) +
         ", MinPercent " + std::to_string(c.MinPercent) + ", FlushTimeoutHours " +
         std::to_string(c.FlushTimeoutHours) + ", height " + std::to_string(c.height) +
         ", ExpertMode " + std::to_string(c.ExpertMode) + ", StatFilename " +
         CheckReport::Show(c.StatFilename) + "}";
}

PluginUnderTest::PluginUnderTest(HostDriver& driver, CheckReport& report, IUnknown* site)
    : driver_(driver) {
  void* object = nullptr;
  const HRESULT created = driver.CreateByClassId(kZelvarPluginClass, IID_HomeScreenPlugin, &object);
  if (!report.Check(SUCCEEDED(created) && object != nullptr,
                    "the plug-in is created by its class id", "result " + HexResult(created))) {
    return;
  }
  plugin_ = ComPtr<HomeScreenPlugin>::Adopt(static_cast<HomeScreenPlugin*>(object));
  persist_ = QueryInterfaceOf<IPersistStream>(plugin_.Get(), IID_IPersistStream);
  if (!report.Check(static_cast<bool>(persist_), "the plug-in offers IPersistStream")) {
    plugin_.Reset();
    return;
  }
  if (site != nullptr)
    report.EqualResult(plugin_->SetSite(site), S_OK, "SetSite with the home screen's site");
}

PluginUnderTest::~PluginUnderTest() { Release(); }

void PluginUnderTest::Release() {
  persist_.Reset();
  if (plugin_) plugin_->SetSite(nullptr);
  plugin_.Reset();
}

HRESULT PluginUnderTest::Initialize(PluginHandle handle,
                                    const std::vector<SettingsAttribute>& attributes) {
  if (!created()) return E_FAIL;
  const auto element = ComPtr<IXMLDOMNode>::Adopt(driver_.ParseSettingsElement(attributes));
  if (!element) return E_FAIL;
  return plugin_->Initialize(handle, element.Get());
}

std::vector<BYTE> PluginUnderTest::Save() {
  if (!created()) return {};
  const auto stream = ComPtr<IStream>::Adopt(driver_.NewStream({}));
  persist_->Save(stream.Get(), TRUE);
  return driver_.StreamBytes(stream.Get());
}

HRESULT PluginUnderTest::Load(const std::vector<BYTE>& bytes) {
  if (!created()) return E_FAIL;
  const auto stream = ComPtr<IStream>::Adopt(driver_.NewStream(bytes));
  return persist_->Load(stream.Get());
}

HRESULT PluginUnderTest::Event(PluginEvent event) {
  if (!created()) return E_FAIL;
  return plugin_->OnEvent(&event);
}

HRESULT PluginUnderTest::Key(WORD keyCode) {
  PluginEvent event{};
  event.type = PE_KEYDOWN;
  event.key.keyCode = keyCode;
  return Event(event);
}

HRESULT PluginUnderTest::Paint(const PaintSurface& surface, bool selected, const RECT& rect) {
  return Event(MakePaintEvent(surface.EventWord(), selected, rect));
}
