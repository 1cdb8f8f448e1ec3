// The restored plug-in driven through OnEvent: what each event asks of the host, the colour
// lookups, and the battery report and colour failures as the user sees them in message boxes.
#include "windows/conformance/conformance_checks.h"
#include "windows/conformance/message_expectations.h"
#include "windows/conformance/plugin_under_test.h"
#include "windows/conformance/test_host.h"

namespace {

constexpr PluginHandle kHandle = 42;
constexpr DWORD kRefreshTimeout = 600000;
constexpr DWORD kHourMs = 3600000;

const WString kColourNames[] = {TEXT("COLOR_HOMETEXT"), TEXT("COLOR_HOMEHIGHLIGHTTEXT"),
                                TEXT("COLOR_HOMEHIGHLIGHT")};

TestColourLookup& WithAllColours(TestColourLookup& lookup) {
  return lookup.WithColour(kColourNames[0], RGB(200, 0, 0))
      .WithColour(kColourNames[1], RGB(0, 200, 0))
      .WithColour(kColourNames[2], RGB(0, 0, 200));
}

// Initialize, then restore from what it saved: the plug-in starts its work.
void Restore(HostDriver& driver, PluginUnderTest& plugin, const char* statFile, bool expertMode) {
  plugin.Initialize(kHandle, {{TEXT("StatFilename"), driver.FileNameInRunFolder(statFile)},
                              {TEXT("ExpertMode"), expertMode ? TEXT("1") : TEXT("0")}});
  plugin.Load(plugin.Save());
}

DWORD MillisecondsToNextUtcHour() {
  SYSTEMTIME now;
  GetSystemTime(&now);
  return kHourMs - ((now.wMinute * 60u + now.wSecond) * 1000u + now.wMilliseconds);
}

void CheckColourLookups(CheckReport& report, const TestColourLookup& lookup, size_t first,
                        const std::string& what) {
  if (!report.Equal(lookup.lookups.size(), first + 3, what + ": three colour lookups")) return;
  for (size_t i = 0; i < 3; ++i) {
    report.Equal(lookup.lookups[first + i].name, kColourNames[i],
                 what + ": colour looked up in order");
    report.Equal(lookup.lookups[first + i].handle, kHandle,
                 what + ": colour looked up with the handle");
  }
}

void CheckTimer(CheckReport& report, PluginUnderTest& plugin, TestHostEnvironment& environment) {
  environment.ForgetCalls();
  const DWORD before = MillisecondsToNextUtcHour();
  PluginEvent timer{};
  timer.type = PE_TIMER;
  report.EqualResult(plugin.Event(timer), S_OK, "PE_TIMER");
  const DWORD after = MillisecondsToNextUtcHour();
  if (!report.Equal(environment.timers.size(), size_t{1}, "PE_TIMER asks for the next timer"))
    return;
  const DWORD delay = environment.timers[0].argument;
  // Near the top of the hour (or across it) only the bounds can be checked.
  if (after <= before && before > kRefreshTimeout + 5000) {
    report.Equal(delay, kRefreshTimeout,
                 "the next timer is RefreshTimeout when the hour is further away");
  } else {
    report.Check(delay <= kRefreshTimeout && delay <= kHourMs,
                 "the next timer ends by the top of the hour");
  }
  report.Equal(environment.repaints.size(), size_t{1}, "PE_TIMER asks for one repaint");
}

void CheckKeys(CheckReport& report, PluginUnderTest& plugin, TestHostEnvironment& environment) {
  for (WORD key : {kVirtualKeyLeft, kVirtualKeyRight}) {
    environment.ForgetCalls();
    report.EqualResult(plugin.Key(key), S_OK, "PE_KEYDOWN");
    report.Check(environment.repaints.size() == 1 && environment.repaints[0].handle == kHandle &&
                     environment.repaints[0].argument == 0,
                 "key " + std::to_string(key) + " asks for one repaint (handle, 0)");
  }
  environment.ForgetCalls();
  plugin.Key(kVirtualKeyRight + 1);
  report.Check(environment.repaints.empty() && environment.timers.empty(),
               "any other key asks nothing");
}

// The words of the report's first status lines, from the platform's own reading.
WString ExpectedReportStart(const SYSTEM_POWER_STATUS_EX2& status) {
  const char* acLine = status.ACLineStatus == AC_LINE_OFFLINE        ? "Offline"
                       : status.ACLineStatus == AC_LINE_ONLINE       ? "Online"
                       : status.ACLineStatus == AC_LINE_BACKUP_POWER ? "Backup power"
                                                                     : "Unknown";
  return WidenLatin1(
      std::string("Zelvar plugin v0.1\nHome line: charge, hrs: hours left (hours on battery)\n"
                  "Until hourly stats exist: hrs: on battery/left (linear)\n\nACLineStatus: ") +
      acLine + "\n");
}

void CheckReportMessage(HostDriver& driver, CheckReport& report, PluginUnderTest& plugin,
                        TestHostEnvironment& environment) {
  environment.ForgetCalls();
  SYSTEM_POWER_STATUS_EX2 status{};
  const bool readable = GetSystemPowerStatusEx2(&status, sizeof status, TRUE) != 0;
  PluginEvent action{};
  action.type = PE_ACTION;
  report.EqualResult(plugin.Event(action), S_OK, "PE_ACTION");
  const std::vector<ShownMessage> messages = driver.TakeMessages();
  if (readable) {
    const WString text =
        ExpectOneMessageStartingWith(report, messages, ExpectedReportStart(status),
                                     MB_OK | MB_ICONINFORMATION, "the battery report");
    report.Check(text.find(TEXT("\nBatteryChemistry: ")) != WString::npos,
                 "the report ends its status part with the chemistry");
    report.Check(text.find(TEXT("\n\nOnPaintCalled: 0\nPercentStats: \n")) != WString::npos,
                 "the expert report shows the paint count and the statistics");
    report.Check(text.find(TEXT("\nCumulative stats:\n")) != WString::npos,
                 "the expert report shows the cumulative statistics");
  } else {
    ExpectOneMessage(report, messages, TEXT("Battery status unknown"), MB_OK | MB_ICONERROR,
                     "the battery report");
  }
  report.Equal(environment.repaints.size(), size_t{1}, "PE_ACTION asks for one repaint");
}

void CheckRestoredPlugin(HostDriver& driver, CheckReport& report) {
  TestColourLookup lookup;
  WithAllColours(lookup);
  TestHostEnvironment environment(&lookup);
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  Restore(driver, plugin, "events.dat", true);
  if (!plugin.created()) return;
  CheckColourLookups(report, lookup, 0, "restore");
  report.Equal(lookup.outstanding(), LONG{0}, "restore returns HostColourLookup");
  report.Check(driver.TakeMessages().empty(), "restore shows no message");

  CheckReportMessage(driver, report, plugin, environment);
  CheckTimer(report, plugin, environment);
  CheckKeys(report, plugin, environment);

  environment.ForgetCalls();
  PluginEvent colourChange{};
  colourChange.type = PE_SYSCOLORCHANGE;
  report.EqualResult(plugin.Event(colourChange), S_OK, "PE_SYSCOLORCHANGE");
  CheckColourLookups(report, lookup, 3, "PE_SYSCOLORCHANGE");
  report.Check(environment.repaints.empty() && environment.timers.empty(),
               "PE_SYSCOLORCHANGE asks nothing else");

  for (DWORD type : {DWORD{PE_DATACHANGE}, DWORD{9}}) {
    PluginEvent event{};
    event.type = type;
    report.EqualResult(plugin.Event(event), S_OK, "event type " + std::to_string(type));
  }
  report.Check(
      environment.repaints.empty() && environment.timers.empty() && lookup.lookups.size() == 6,
      "PE_DATACHANGE and unknown events ask nothing");
  report.Check(driver.TakeMessages().empty(), "no event besides PE_ACTION shows a message");
}

void CheckColourFailures(HostDriver& driver, CheckReport& report) {
  TestColourLookup lookup;
  WithAllColours(lookup).FailColour(kColourNames[2], E_FAIL);
  TestHostEnvironment environment(&lookup);
  TestSite site(&environment);
  PluginUnderTest plugin(driver, report, &site);
  Restore(driver, plugin, "colours.dat", false);
  CheckColourLookups(report, lookup, 0, "a failing colour");
  ExpectOneMessage(report, driver.TakeMessages(),
                   TEXT("Can't GetColor(COLOR_HOMEHIGHLIGHT), err[80004005]"), MB_OK | MB_ICONERROR,
                   "a failing colour lookup");

  TestHostEnvironment withoutLookup;
  TestSite plainSite(&withoutLookup);
  PluginUnderTest plain(driver, report, &plainSite);
  Restore(driver, plain, "colours.dat", false);
  report.Check(driver.TakeMessages().empty(), "a host without HostColourLookup shows no message");
}

}  // namespace

void CheckEvents(HostDriver& driver, CheckReport& report) {
  report.Group("events");
  CheckRestoredPlugin(driver, report);
  CheckColourFailures(driver, report);
}
