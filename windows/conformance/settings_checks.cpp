// Initialize with an element of a parsed document: each of the seven settings from its attribute
// or its default, seen through what Save writes afterwards.
#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"

namespace {

constexpr PluginHandle kHandle = 77;

SavedConfiguration Defaults() {
  return {kHandle, 600000, 30, 20, 8, 20, 0, TEXT("\\Storage\\My Documents\\ZelvarPlugin.dat")};
}

// The configuration a fresh plug-in saves after Initialize with these attributes.
SavedConfiguration AfterInitialize(HostDriver& driver, CheckReport& report,
                                   const std::vector<SettingsAttribute>& attributes,
                                   const std::string& what) {
  TestHostEnvironment environment;
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  if (!plugin.created()) return {};
  report.EqualResult(plugin.Initialize(kHandle, attributes), S_OK, what + ": Initialize");
  report.Check(environment.timers.empty() && environment.repaints.empty(),
               what + ": Initialize asks nothing of the host");
  const std::optional<SavedConfiguration> saved = DecodeConfiguration(plugin.Save());
  report.Check(saved.has_value(), what + ": Save writes one record");
  return saved.value_or(SavedConfiguration{});
}

void ExpectSettings(HostDriver& driver, CheckReport& report,
                    const std::vector<SettingsAttribute>& attributes,
                    const SavedConfiguration& expected, const std::string& what) {
  const SavedConfiguration saved = AfterInitialize(driver, report, attributes, what);
  report.Check(saved == expected, what, "expected " + Show(expected) + ", got " + Show(saved));
}

// One integer setting from one attribute value, the others at their defaults.
void ExpectHeight(HostDriver& driver, CheckReport& report, const WString& value, LONG expected) {
  SavedConfiguration settings = Defaults();
  settings.height = expected;
  ExpectSettings(driver, report, {{TEXT("height"), value}}, settings,
                 "height=" + CheckReport::Show(value) + " gives " + std::to_string(expected));
}

}  // namespace

void CheckSettings(HostDriver& driver, CheckReport& report) {
  report.Group("settings");
  ExpectSettings(driver, report, {}, Defaults(),
                 "an element without attributes gives the defaults");

  const WString statFile = TEXT("C:\\Temp\\Zelv\u00E4r \u2603.dat");
  ExpectSettings(driver, report,
                 {{TEXT("RefreshTimeout"), TEXT("1000")},
                  {TEXT("StatFilename"), statFile},
                  {TEXT("MaxHistoryDays"), TEXT("5")},
                  {TEXT("MinPercent"), TEXT("10")},
                  {TEXT("FlushTimeoutHours"), TEXT("3")},
                  {TEXT("height"), TEXT("40")},
                  {TEXT("ExpertMode"), TEXT("1")}},
                 {kHandle, 1000, 5, 10, 3, 40, 1, statFile}, "all seven attributes are read");

  SavedConfiguration onlyRefresh = Defaults();
  onlyRefresh.RefreshTimeout = 1000;
  ExpectSettings(driver, report, {{TEXT("RefreshTimeout"), TEXT("1000")}}, onlyRefresh,
                 "RefreshTimeout alone leaves the six others at their defaults");

  SavedConfiguration emptyName = Defaults();
  emptyName.StatFilename.clear();
  ExpectSettings(driver, report, {{TEXT("StatFilename"), TEXT("")}}, emptyName,
                 "an empty StatFilename gives an empty name");

  ExpectSettings(driver, report,
                 {{TEXT("refreshtimeout"), TEXT("5")}, {TEXT("HEIGHT"), TEXT("99")}}, Defaults(),
                 "attribute names are matched in their exact spelling");

  // Integers as the system's variant conversion reads attribute text.
  ExpectHeight(driver, report, TEXT("-5"), -5);
  ExpectHeight(driver, report, TEXT(" 42 "), 42);
  ExpectHeight(driver, report, TEXT("+7"), 7);
  ExpectHeight(driver, report, TEXT("abc"), 20);
  ExpectHeight(driver, report, TEXT(""), 20);
  ExpectHeight(driver, report, TEXT("12abc"), 20);
  ExpectHeight(driver, report, TEXT("2147483647"), 2147483647);
  ExpectHeight(driver, report, TEXT("2147483648"), 20);
  ExpectHeight(driver, report, TEXT("-2147483648"), -2147483647 - 1);
  ExpectHeight(driver, report, TEXT("0x10"), 20);
  if (driver.ReadsEveryNumberForm()) {
    ExpectHeight(driver, report, TEXT("&H10"), 16);
    ExpectHeight(driver, report, TEXT("1.5"), 2);
    ExpectHeight(driver, report, TEXT("2.5"), 2);
    ExpectHeight(driver, report, TEXT("1e3"), 1000);
    ExpectHeight(driver, report, TEXT("1,000"), 1000);
    ExpectHeight(driver, report, TEXT("(5)"), -5);
  }

  // A second Initialize decides every setting again.
  TestHostEnvironment environment;
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  plugin.Initialize(
      1, {{TEXT("RefreshTimeout"), TEXT("1000")}, {TEXT("StatFilename"), TEXT("a.dat")}});
  plugin.Initialize(kHandle, {{TEXT("MinPercent"), TEXT("33")}});
  SavedConfiguration expected = Defaults();
  expected.MinPercent = 33;
  const std::vector<BYTE> bytes = plugin.Save();
  const std::optional<SavedConfiguration> saved = DecodeConfiguration(bytes);
  report.Check(saved == expected, "a second Initialize replaces every setting",
               "got " + (saved ? Show(*saved) : CheckReport::Show(bytes)));
}
