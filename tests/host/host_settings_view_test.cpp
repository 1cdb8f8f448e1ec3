// The plug-in's settings read back from its persisted stream, and the warnings about settings that
// will behave badly.
#include <gtest/gtest.h>

#include "host/hosting/plugin_settings_view.h"
#include "host/program/setting_warnings.h"

namespace {

std::vector<BYTE> Stream(std::vector<DWORD> words, const std::u16string& name) {
  std::vector<BYTE> bytes;
  for (DWORD word : words) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(word >> shift));
  }
  for (char16_t c : name) {
    bytes.push_back(static_cast<BYTE>(c));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  return bytes;
}

TEST(PluginSettingsView, ReadsEachWordInItsPlaceAndTheName) {
  const auto view = ReadPluginSettings(Stream({1, 0xFFFFFFFF, 30, 20, 8, 20, 1, 3}, u"\\a\u00e9"));
  ASSERT_TRUE(view);
  EXPECT_EQ(view->refreshTimeout, -1);
  EXPECT_EQ(view->maxHistoryDays, 30);
  EXPECT_EQ(view->minPercent, 20);
  EXPECT_EQ(view->flushTimeoutHours, 8);
  EXPECT_EQ(view->expertMode, 1);
  EXPECT_EQ(view->statFilename, u"\\a\u00e9");

  EXPECT_EQ(ReadPluginSettings(Stream({1, 2, 3, 4, 5, 6, 7, 2}, std::u16string(u"a\0b", 3)))->statFilename, u"a");
  EXPECT_EQ(ReadPluginSettings(Stream({1, 2, 3, 4, 5, 6, 7, 0}, u""))->statFilename, u"");
  EXPECT_FALSE(ReadPluginSettings(Stream({1, 2, 3, 4, 5, 6, 7, 4}, u"abc")));
  EXPECT_FALSE(ReadPluginSettings(Stream({1, 2, 3, 4, 5, 6, 7}, u"")));
}

TEST(PluginSettingsView, OnlyTheFixedWordsAndExactlyTheAnnouncedNameCanBeASavedState) {
  const struct {
    std::vector<BYTE> stream;
    bool canBe;
  } cases[] = {
      {Stream({1, 2, 3, 4, 5, 6, 7, 0}, u""), true},
      {Stream({1, 2, 3, 4, 5, 6, 7, 3}, u"abc"), true},
      {Stream({1, 2, 3, 4, 5, 6, 7, 4}, u"abc"), false},   // cut short
      {Stream({1, 2, 3, 4, 5, 6, 7, 2}, u"abc"), false},   // bytes left over
      {Stream({1, 2, 3, 4, 5, 6, 7}, u""), false},         // no length word
      {Stream({1, 2, 3, 4, 5, 6, 7, 0x80000000}, u"abc"), false},
      {std::vector<BYTE>(108, 0xA5), false},                // random bytes the size of a name of 38
  };
  for (const auto& c : cases) EXPECT_EQ(CanBeSavedState(c.stream), c.canBe) << c.stream.size() << " bytes";
}

TEST(SettingWarnings, OnlyZeroOrNegativeTimeoutsAndANegativeMinPercent) {
  const PluginSettingsView defaults{600000, 30, 20, 8, 0, u"x"};
  const struct {
    LONG refreshTimeout, minPercent, flushTimeoutHours;
    const char* warning;  // nullptr: none
  } cases[] = {
      {600000, 20, 8, nullptr},
      {1, 0, 1, nullptr},
      {0, 20, 8, "RefreshTimeout=\"0\" asks for a refresh without pause; the line is refreshed every 1 s instead"},
      {-5, 20, 8, "RefreshTimeout=\"-5\" is negative"},
      {600000, -1, 8, "MinPercent=\"-1\" is negative"},
      {600000, 20, 0, "FlushTimeoutHours=\"0\": each hourly drop"},
      {600000, 20, -2, "FlushTimeoutHours=\"-2\" is negative"},
  };
  for (const auto& c : cases) {
    PluginSettingsView settings = defaults;
    settings.refreshTimeout = c.refreshTimeout;
    settings.minPercent = c.minPercent;
    settings.flushTimeoutHours = c.flushTimeoutHours;
    const std::vector<std::string> warnings = SettingWarnings(settings);
    if (c.warning == nullptr) {
      EXPECT_TRUE(warnings.empty()) << warnings.front();
      continue;
    }
    ASSERT_EQ(warnings.size(), 1u) << c.warning;
    EXPECT_EQ(warnings[0].rfind(c.warning, 0), 0u) << warnings[0];
  }
  PluginSettingsView all = defaults;
  all.refreshTimeout = 0;
  all.minPercent = -1;
  all.flushTimeoutHours = 0;
  EXPECT_EQ(SettingWarnings(all).size(), 3u);
}

}  // namespace
