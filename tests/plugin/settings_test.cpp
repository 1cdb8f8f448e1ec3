#include <gtest/gtest.h>

#include "plugin/debug_trace.h"
#include "plugin/settings_reader.h"
#include "plugin/zelvar_plugin.h"
#include "tests/fakes/fake_host.h"
#include "tests/fakes/fake_xml_element.h"

namespace {

void ExpectSettings(const PluginSettings& s, const PluginSettings& expected) {
  EXPECT_EQ(s.RefreshTimeout, expected.RefreshTimeout);
  EXPECT_EQ(s.StatFilename, expected.StatFilename);
  EXPECT_EQ(s.MaxHistoryDays, expected.MaxHistoryDays);
  EXPECT_EQ(s.MinPercent, expected.MinPercent);
  EXPECT_EQ(s.FlushTimeoutHours, expected.FlushTimeoutHours);
  EXPECT_EQ(s.height, expected.height);
  EXPECT_EQ(s.ExpertMode, expected.ExpertMode);
}

// The defaults with the changes the case makes.
PluginSettings DefaultsWith(void (*change)(PluginSettings&)) {
  PluginSettings settings = DefaultSettings();
  change(settings);
  return settings;
}

class PluginInitialize : public testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(plugin->Release(), 0u); }
  const PluginSettings& settings() const { return plugin->state().settings; }
  CZelvarPlugin* plugin = new CZelvarPlugin;
};

TEST_F(PluginInitialize, NoAttributesGiveEveryDefaultAndTheFirstStatusLine) {
  FakeXmlElement element;
  ASSERT_EQ(plugin->Initialize(0x1234, &element), S_OK);
  // The defaults every home-screen file that leaves a setting out relies on.
  ExpectSettings(settings(),
                 {600000, TEXT("\\Storage\\My Documents\\ZelvarPlugin.dat"), 30, 20, 8, 20, 0});
  EXPECT_EQ(plugin->state().handle, 0x1234u);
  EXPECT_EQ(plugin->state().StatusText, WString(TEXT("Battery plugin. Initializing...")));
  EXPECT_EQ(WString(TraceBuffer()), WString(TEXT("CZelvarPlugin::Initialize called \r\n")));
  EXPECT_TRUE(element.AllReferencesReturned());
  const std::vector<WString> order = {
      TEXT("RefreshTimeout"),    TEXT("StatFilename"), TEXT("MaxHistoryDays"), TEXT("MinPercent"),
      TEXT("FlushTimeoutHours"), TEXT("height"),       TEXT("ExpertMode")};
  EXPECT_EQ(element.lookups(), order);
}

TEST_F(PluginInitialize, EachPresentAttributeReplacesItsDefaultAlone) {
  FakeXmlElement element;
  element.With(TEXT("RefreshTimeout"), TEXT("1000"));
  plugin->Initialize(1, &element);
  ExpectSettings(settings(), DefaultsWith([](PluginSettings& s) { s.RefreshTimeout = 1000; }));

  FakeXmlElement all;
  all.With(TEXT("RefreshTimeout"), TEXT("-1"))
      .With(TEXT("StatFilename"), TEXT("\\Temp\\stats.dat"))
      .With(TEXT("MaxHistoryDays"), TEXT("7"))
      .With(TEXT("MinPercent"), TEXT("0"))
      .With(TEXT("FlushTimeoutHours"), TEXT("1"))
      .With(TEXT("height"), TEXT("40"))
      .With(TEXT("ExpertMode"), TEXT("1"));
  plugin->Initialize(2, &all);
  ExpectSettings(settings(), {-1, TEXT("\\Temp\\stats.dat"), 7, 0, 1, 40, 1});
  EXPECT_TRUE(all.AllReferencesReturned());
  LONG height = 0;
  plugin->GetHeight(&height);
  EXPECT_EQ(height, kPluginLineHeight);
}

TEST_F(PluginInitialize, AnEmptyFileNameIsKeptButAnEmptyNumberTakesTheDefault) {
  FakeXmlElement element;
  element.With(TEXT("StatFilename"), TEXT("")).With(TEXT("MinPercent"), TEXT(""));
  plugin->Initialize(1, &element);
  EXPECT_EQ(settings().StatFilename, WString());
  EXPECT_EQ(settings().MinPercent, DefaultSettings().MinPercent);
}

TEST_F(PluginInitialize, ValuesThatAreNoIntegerTakeTheDefault) {
  FakeXmlElement element;
  element.With(TEXT("RefreshTimeout"), TEXT("ten minutes"))
      .With(TEXT("MaxHistoryDays"), TEXT("1.5"))
      .With(TEXT("FlushTimeoutHours"), TEXT("99999999999"))
      .With(TEXT("ExpertMode"), TEXT(" 3 "));
  plugin->Initialize(1, &element);
  ExpectSettings(settings(), DefaultsWith([](PluginSettings& s) { s.ExpertMode = 3; }));
  EXPECT_TRUE(element.AllReferencesReturned());
}

TEST_F(PluginInitialize, AFileNameIsCutAtItsFirstZeroCharacter) {
  FakeXmlElement element;
  element.With(TEXT("StatFilename"), WString(TEXT("a.dat\0junk"), 10));
  plugin->Initialize(1, &element);
  EXPECT_EQ(settings().StatFilename, WString(TEXT("a.dat")));
}

TEST_F(PluginInitialize, FailedLookupsTakeTheDefaultAndOtherSuccessesKeepTheField) {
  FakeXmlElement first;
  first.With(TEXT("MinPercent"), TEXT("5")).With(TEXT("height"), TEXT("33"));
  plugin->Initialize(1, &first);
  FakeXmlElement second;
  second.FailLookup(TEXT("MinPercent"), E_OUTOFMEMORY)
      .FailLookup(TEXT("height"), static_cast<HRESULT>(2));
  plugin->Initialize(1, &second);
  EXPECT_EQ(settings().MinPercent, DefaultSettings().MinPercent);
  EXPECT_EQ(settings().height, 33);
}

TEST_F(PluginInitialize, ASecondInitializeReplacesEverySettingAndTheStatusLine) {
  FakeXmlElement first;
  first.With(TEXT("MaxHistoryDays"), TEXT("3")).With(TEXT("StatFilename"), TEXT("x"));
  plugin->Initialize(1, &first);
  FakeXmlElement second;
  plugin->Initialize(9, &second);
  ExpectSettings(settings(), DefaultSettings());
  EXPECT_EQ(plugin->state().handle, 9u);
  EXPECT_EQ(plugin->state().StatusText, WString(TEXT("Battery plugin. Initializing...")));
}

TEST_F(PluginInitialize, ANullElementOrOneWithoutAttributeMapGivesAllDefaults) {
  FakeXmlElement custom;
  custom.With(TEXT("MinPercent"), TEXT("5"));
  plugin->Initialize(1, &custom);
  ASSERT_EQ(plugin->Initialize(1, nullptr), S_OK);
  ExpectSettings(settings(), DefaultSettings());

  plugin->Initialize(1, &custom);
  FakeXmlElement broken;
  broken.WithoutAttributeMap();
  ASSERT_EQ(plugin->Initialize(1, &broken), S_OK);
  ExpectSettings(settings(), DefaultSettings());
}

TEST_F(PluginInitialize, StartsNoTimerAndRequestsNothing) {
  TestHostEnvironment environment;
  TestSite site(&environment);
  plugin->SetSite(&site);
  FakeXmlElement element;
  plugin->Initialize(1, &element);
  EXPECT_TRUE(environment.timers.empty());
  EXPECT_TRUE(environment.repaints.empty());
  EXPECT_EQ(plugin->state().timerRequests, 0);
  plugin->SetSite(nullptr);
}

}  // namespace
