#include "plugin/zelvar_plugin.h"

#include <gtest/gtest.h>

#include "platform/gdi/canvas.h"
#include "platform/time/simulated_clock.h"
#include "plugin/debug_trace.h"
#include "plugin/module_object_count.h"
#include "tests/fakes/com_expect.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/recording_canvas.h"
#include "tests/fakes/recording_message_boxes.h"
#include "tests/fakes/time_builders.h"

namespace {

// {01234567-89AB-CDEF-0123-456789ABCDEF}: an interface nobody offers.
constexpr IID kUnknownIid = {
    0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

class PluginObject : public testing::Test {
 protected:
  void TearDown() override {
    if (plugin != nullptr) {
      EXPECT_EQ(plugin->Release(), 0u);
    }
  }
  HomeScreenPlugin* face() { return plugin; }
  CZelvarPlugin* plugin = new CZelvarPlugin;
};

TEST_F(PluginObject, BothFacesShareOneIdentityAndOneCount) {
  void* primary = nullptr;
  ASSERT_EQ(plugin->QueryInterface(IID_IUnknown, &primary), S_OK);
  void* persist = nullptr;
  ASSERT_EQ(face()->QueryInterface(IID_IPersist, &persist), S_OK);
  EXPECT_EQ(persist, static_cast<IPersistStream*>(plugin));
  EXPECT_NE(persist, primary);
  EXPECT_REF_COUNT(face(), 3);

  // IUnknown through the persistence face gives the primary face.
  void* unknownThroughPersist = nullptr;
  ASSERT_EQ(
      static_cast<IPersistStream*>(persist)->QueryInterface(IID_IUnknown, &unknownThroughPersist),
      S_OK);
  EXPECT_EQ(unknownThroughPersist, primary);
  EXPECT_EQ(unknownThroughPersist, static_cast<HomeScreenPlugin*>(plugin));
  EXPECT_EQ(static_cast<IUnknown*>(persist)->Release(), 3u);
  EXPECT_EQ(static_cast<IUnknown*>(unknownThroughPersist)->Release(), 2u);
  EXPECT_EQ(static_cast<IUnknown*>(primary)->Release(), 1u);
}

TEST_F(PluginObject, HandsOutTheRightFaceForEveryIdentifierOnEitherFace) {
  IUnknown* const primary = static_cast<HomeScreenPlugin*>(plugin);
  IUnknown* const persistence = static_cast<IPersistStream*>(plugin);
  IID pluginLastByte = IID_HomeScreenPlugin;
  pluginLastByte.Data4[7] ^= 1;
  IID persistLastByte = IID_IPersistStream;
  persistLastByte.Data4[7] ^= 1;
  const struct {
    const IID& iid;
    IUnknown* face;  // null: not offered
  } cases[] = {
      {IID_IUnknown, primary},           {IID_IObjectWithSite, primary},
      {IID_HomeScreenPlugin, primary},   {IID_IPersist, persistence},
      {IID_IPersistStream, persistence}, {kUnknownIid, nullptr},
      {IID_IClassFactory, nullptr},      {IID_HostEnvironment, nullptr},
      {pluginLastByte, nullptr},         {persistLastByte, nullptr},
  };
  for (IUnknown* asked : {primary, persistence}) {
    for (const auto& c : cases) {
      void* out = reinterpret_cast<void*>(0x1);
      const HRESULT hr = asked->QueryInterface(c.iid, &out);
      EXPECT_EQ(out, c.face);
      EXPECT_EQ(hr, c.face != nullptr ? S_OK : E_NOINTERFACE);
      EXPECT_REF_COUNT(primary, c.face != nullptr ? 2 : 1);
      if (c.face != nullptr) c.face->Release();
    }
  }
  EXPECT_EQ(plugin->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(PluginObject, PersistenceFaceNamesTheClassAndIsAlwaysDirty) {
  IPersistStream* persist = plugin;
  CLSID id{};
  ASSERT_EQ(persist->GetClassID(&id), S_OK);
  const CLSID expected = {
      0xFDEA2F9B, 0x0266, 0x11CF, {0xBA, 0xA6, 0x00, 0xAA, 0x00, 0x3E, 0x0E, 0x01}};
  EXPECT_TRUE(IsEqualGUID(id, expected));
  EXPECT_EQ(persist->IsDirty(), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
}

TEST_F(PluginObject, ConstantAnswersAndTheirTraceLines) {
  LONG height = -1;
  ASSERT_EQ(face()->GetHeight(&height), S_OK);
  EXPECT_EQ(height, kPluginLineHeight);
  EXPECT_EQ(WString(TraceBuffer()), WString(TEXT("CZelvarPlugin::GetHeight called \r\n")));
  BOOL selectable = -1;
  ASSERT_EQ(face()->GetSelectability(&selectable), S_OK);
  EXPECT_EQ(selectable, 1);
  EXPECT_EQ(WString(TraceBuffer()), WString(TEXT("CZelvarPlugin::GetSelectability called \r\n")));
}

TEST(PluginLifetime, ConstructionAndLastReleaseMoveTheModuleCount) {
  const LONG before = ModuleObjectCount;
  auto* first = new CZelvarPlugin;
  auto* second = new CZelvarPlugin;
  EXPECT_EQ(ModuleObjectCount, before + 2);
  EXPECT_EQ(first->AddRef(), 2u);
  EXPECT_EQ(first->Release(), 1u);
  EXPECT_EQ(ModuleObjectCount, before + 2);
  EXPECT_EQ(first->Release(), 0u);
  EXPECT_EQ(ModuleObjectCount, before + 1);
  EXPECT_EQ(static_cast<IPersistStream*>(second)->Release(), 0u);
  EXPECT_EQ(ModuleObjectCount, before);
}

class PluginSite : public PluginObject {
 protected:
  TestHostEnvironment environment;
};

TEST_F(PluginSite, HoldsTheSitesEnvironmentUntilTheSiteIsTakenAway) {
  TestSite site(&environment);
  ASSERT_EQ(face()->SetSite(&site), S_OK);
  EXPECT_EQ(site.outstanding(), 0);  // the site itself is not kept
  EXPECT_EQ(environment.outstanding(), 1);

  void* out = nullptr;
  ASSERT_EQ(face()->GetSite(IID_HostEnvironment, &out), S_OK);
  EXPECT_EQ(out, static_cast<HostEnvironment*>(&environment));
  static_cast<IUnknown*>(out)->Release();
  EXPECT_EQ(face()->GetSite(kUnknownIid, &out), E_NOINTERFACE);

  ASSERT_EQ(face()->SetSite(nullptr), S_OK);
  EXPECT_EQ(environment.outstanding(), 0);
  EXPECT_EQ(face()->GetSite(IID_HostEnvironment, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
}

TEST_F(PluginSite, GetSiteFailsBeforeAnySite) {
  void* out = reinterpret_cast<void*>(0x1);
  EXPECT_EQ(face()->GetSite(IID_IUnknown, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
}

TEST_F(PluginSite, PassesTheSitesFailureThroughAndHoldsNothing) {
  TestSite good(&environment);
  ASSERT_EQ(face()->SetSite(&good), S_OK);
  TestSite refusing(nullptr, E_NOINTERFACE);
  EXPECT_EQ(face()->SetSite(&refusing), E_NOINTERFACE);
  EXPECT_EQ(environment.outstanding(), 0);  // the earlier environment was released
  void* out = nullptr;
  EXPECT_EQ(face()->GetSite(IID_HostEnvironment, &out), E_FAIL);
  TestSite broken(nullptr, static_cast<HRESULT>(0x80070005));
  EXPECT_EQ(face()->SetSite(&broken), static_cast<HRESULT>(0x80070005));
}

// A site whose failing query still writes an interface into the out pointer, without a reference.
struct SiteFailingWithAnAnswer : IUnknown {
  explicit SiteFailingWithAnAnswer(void* answer) : answer(answer) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = answer;
    return E_FAIL;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  void* answer;
};

TEST_F(PluginSite, AFailedQueryHoldsNothingEvenWhenItWroteAnAnswer) {
  SiteFailingWithAnAnswer site(static_cast<HostEnvironment*>(&environment));
  EXPECT_EQ(face()->SetSite(&site), E_FAIL);
  void* out = nullptr;
  EXPECT_EQ(face()->GetSite(IID_HostEnvironment, &out), E_FAIL);
  EXPECT_EQ(out, nullptr);
}

TEST_F(PluginSite, ReplacingTheSiteReleasesTheOldEnvironment) {
  TestHostEnvironment other;
  TestSite first(&environment), second(&other);
  ASSERT_EQ(face()->SetSite(&first), S_OK);
  ASSERT_EQ(face()->SetSite(&second), S_OK);
  EXPECT_EQ(environment.outstanding(), 0);
  EXPECT_EQ(other.outstanding(), 1);
  face()->SetSite(nullptr);
}

class EventDispatch : public PluginSite {
 protected:
  void SetUp() override { ASSERT_EQ(face()->SetSite(&site), S_OK); }
  void TearDown() override {
    face()->SetSite(nullptr);
    PluginSite::TearDown();
  }
  HRESULT Send(DWORD type) {
    PluginEvent event{};
    event.type = type;
    return face()->OnEvent(&event);
  }
  void ClearTrace() { DebugTrace("%s", ""); }
  TestSite site{&environment};
};

TEST_F(EventDispatch, EachKnownTypeWritesItsTraceLineThenRunsItsHandler) {
  SimulatedClock clock(Utc(2026, 3, 2, 10, 20), 0);
  ScopedClock clockGuard(clock);
  FixedPowerSource power;
  ScopedPowerSource powerGuard(power);
  RecordingMessageBoxes boxes;
  ScopedMessageBoxSink boxesGuard(boxes);
  RecordingCanvas canvas;
  ScopedDeviceContext dc(canvas);
  const struct {
    DWORD type;
    int key;
    const WCHAR* line;
    size_t repaints, timers, messages;
  } cases[] = {
      {PE_KEYDOWN, 13, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 0, 0, 0},
      {PE_KEYDOWN, kVirtualKeyLeft - 1, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 0, 0, 0},
      {PE_KEYDOWN, kVirtualKeyLeft + 1, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 0, 0, 0},
      {PE_KEYDOWN, kVirtualKeyRight + 1, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 0, 0, 0},
      {PE_KEYDOWN, kVirtualKeyLeft + 256, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 0, 0, 0},
      {PE_KEYDOWN, kVirtualKeyLeft, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 1, 0, 0},
      {PE_KEYDOWN, kVirtualKeyRight, TEXT("PluginBase::OnEvent - PE_KEYDOWN\r\n"), 1, 0, 0},
      {PE_ACTION, 0, TEXT("PluginBase::OnEvent - PE_ACTION\r\n"), 1, 0, 1},
      {PE_PAINT, 0, TEXT("PluginBase::OnEvent - PE_PAINT\r\n"), 0, 0, 0},
      {PE_SYSCOLORCHANGE, 0, TEXT("PluginBase::OnEvent - PE_SYSCOLORCHANGE\r\n"), 0, 0, 0},
      {PE_TIMER, 0, TEXT("PluginBase::OnEvent - PE_TIMER\r\n"), 1, 1, 0},
      {PE_DATACHANGE, 0, TEXT("PluginBase::OnEvent - PE_DATACHANGE\r\n"), 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(NarrowUtf8(c.line));
    environment.repaints.clear();
    environment.timers.clear();
    boxes.messages.clear();
    const size_t drawn = canvas.calls().size();
    ClearTrace();
    PluginEvent event{};
    event.type = c.type;
    if (c.type == PE_KEYDOWN) event.key.keyCode = static_cast<WORD>(c.key);
    if (c.type == PE_PAINT) event.paint.hdc = dc.eventWord();
    EXPECT_EQ(face()->OnEvent(&event), S_OK);
    EXPECT_EQ(WString(TraceBuffer()), WString(c.line));
    EXPECT_EQ(environment.repaints.size(), c.repaints);
    EXPECT_EQ(environment.timers.size(), c.timers);
    EXPECT_EQ(boxes.messages.size(), c.messages);
    EXPECT_EQ(canvas.calls().size() > drawn, c.type == PE_PAINT);
  }
  EXPECT_EQ(plugin->state().OnPaintCalled, 1);
  EXPECT_EQ(NarrowUtf8(plugin->state().StatusText), " 85%, hrs: 0.0/-?-");
}

TEST_F(EventDispatch, UnknownTypesAndNullRecordsAreIgnoredSilently) {
  for (DWORD type : {6u, 7u, 0x80000000u, 0x80000002u, 0xFFFFFFFFu}) {
    ClearTrace();
    EXPECT_EQ(Send(type), S_OK);
    EXPECT_EQ(TraceBuffer()[0], 0) << type;
  }
  EXPECT_EQ(face()->OnEvent(nullptr), S_OK);
  EXPECT_EQ(TraceBuffer()[0], 0);
  EXPECT_TRUE(environment.repaints.empty());
  EXPECT_TRUE(environment.timers.empty());
}

TEST(DebugTrace, CutsLinesLongerThanItsBuffer) {
  const std::string longLine(5000, 'x');
  DebugTrace("%s|%s", longLine.c_str(), longLine.c_str());
  const WString traced(TraceBuffer());
  EXPECT_EQ(traced.size(), kTraceBufferLength - 1);
  EXPECT_EQ(traced.find_first_not_of(TEXT('x')), WString::npos);
}

}  // namespace
