// The battery's notifications: the thresholds' form, the words, the warnings decided from the
// painted lines and the calls the desktop's notification service receives over a real session bus
// as a battery runs down, is charged and runs down again.
#include <gtest/gtest.h>
#include <poll.h>

#include <cerrno>
#include <chrono>
#include <sstream>
#include <thread>

#include "host/estimate/critical_countdown.h"
#include "host/estimate/low_battery_text.h"
#include "host/notify/call_failure.h"
#include "host/notify/battery_notifications.h"
#include "host/wait/poll_waiter.h"
#include "platform/time/calendar.h"
#include "tests/fakes/session_bus.h"
#include "tests/fakes/temp_folder.h"

namespace {

using namespace std::chrono_literals;
using Answers = RecordingNotificationService::Answers;

struct ThresholdCase {
  const char* text;
  std::optional<NotifyThresholds> parsed;
};

class NotifyThresholdsTest : public testing::TestWithParam<ThresholdCase> {};

TEST_P(NotifyThresholdsTest, Parses) {
  EXPECT_EQ(ParseNotifyThresholds(GetParam().text), GetParam().parsed);
}

// Minutes share the grammar; only the range differs.
TEST(NotifyMinutesTest, ParsesUpToADay) {
  EXPECT_EQ(ParseNotifyMinutes("10,1440,30"), (NotifyMinutes{1440, 30, 10}));
  EXPECT_EQ(ParseNotifyMinutes("1441"), std::nullopt);
  EXPECT_EQ(ParseNotifyMinutes("0"), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, NotifyThresholdsTest,
    testing::Values(ThresholdCase{"25,10,5", NotifyThresholds{25, 10, 5}},
                    ThresholdCase{"5,25,10", NotifyThresholds{25, 10, 5}},
                    ThresholdCase{"100,1", NotifyThresholds{100, 1}},
                    ThresholdCase{"15", NotifyThresholds{15}}, ThresholdCase{"", std::nullopt},
                    ThresholdCase{"20,", std::nullopt}, ThresholdCase{"20,,5", std::nullopt},
                    ThresholdCase{"20, 5", std::nullopt}, ThresholdCase{"0,5", std::nullopt},
                    ThresholdCase{"101", std::nullopt}, ThresholdCase{"-5", std::nullopt},
                    ThresholdCase{"10,10", std::nullopt}, ThresholdCase{"10x", std::nullopt}),
    // "20, 5" is 20_Space5, "" Empty.
    [](const testing::TestParamInfo<ThresholdCase>& info) {
      std::string name = *info.param.text == '\0' ? "Empty" : "";
      for (const char* c = info.param.text; *c != '\0'; ++c) {
        name += *c == ',' ? "_" : *c == ' ' ? "Space" : *c == '-' ? "Minus" : std::string(1, *c);
      }
      return name;
    });

TEST(LowBatteryTextTest, SaysTheChargeTheFigureItsSourceAndTheNote) {
  EXPECT_EQ(LowBatterySummary(10), "Battery 10 %");
  const FigureIn h = FigureIn::Hours;
  EXPECT_EQ(LowBatteryBody(HoursToShow{1.47, HoursSource::TimeOfDay}, h, std::nullopt),
            "About 1.4 h left at this time of day");
  EXPECT_EQ(LowBatteryBody(HoursToShow{2.05, HoursSource::RecentRate}, h, std::nullopt),
            "About 2.0 h left at your recent rate");
  // 0.7 * 3 is stored just below 2.1, and is 2.1.
  EXPECT_EQ(LowBatteryBody(HoursToShow{0.7 * 3, HoursSource::BatteryReports}, h, std::nullopt),
            "About 2.1 h left as the battery reports");
  EXPECT_EQ(LowBatteryBody(std::nullopt, h, std::string("Still learning")),
            "Hours left not known yet\nStill learning");
  // Minutes never say more than the figure: 29.99 is 29.
  EXPECT_EQ(
      LowBatteryBody(HoursToShow{0.4999, HoursSource::RecentRate}, FigureIn::Minutes, std::nullopt),
      "About 29 min left at your recent rate");
  // An hour or more reads in hours, not "60 min" or "1200 min".
  EXPECT_EQ(LowBatteryBody(HoursToShow{1.0, HoursSource::BatteryReports}, FigureIn::Minutes,
                           std::nullopt),
            "About 1.0 h left as the battery reports");
  // Read back for the replays' judgement.
  EXPECT_EQ(HoursInBody(LowBatteryBody(HoursToShow{12.34, HoursSource::RecentRate}, h,
                                       std::string("Still learning"))),
            12.3);
  EXPECT_EQ(HoursInBody(LowBatteryBody(HoursToShow{0.75, HoursSource::TimeOfDay}, FigureIn::Minutes,
                                       std::nullopt)),
            0.75);
  EXPECT_EQ(HoursInBody(LowBatteryBody(std::nullopt, h, std::nullopt)), std::nullopt);
  EXPECT_EQ(CountdownBody("Hibernating"), "Hibernating in 60 s unless the charger is plugged in");
  EXPECT_EQ(NotTakenBody("Running \"x\"", "why"), "Not running \"x\": why; plug in the charger");
}

// A countdown script at the level 3: "b3@60" is a reading of 3 % on battery at second 60, "m3@60"
// one on mains, "b?@60" one on battery with the charge not known. Each reading brings W (warn), X
// (withdraw), A (act) or -.
struct CountdownCase {
  const char* name;
  bool canAct;
  const char* script;
  const char* steps;
};

class CriticalCountdownTest : public testing::TestWithParam<CountdownCase> {};

TEST_P(CriticalCountdownTest, Steps) {
  CriticalCountdown countdown(3, GetParam().canAct);
  std::istringstream words(GetParam().script);
  std::string steps;
  for (std::string word; words >> word;) {
    const size_t at = word.find('@');
    const std::string percent = word.substr(1, at - 1);
    const BatteryReading reading{
        word[0] == 'b', percent == "?" ? std::nullopt : std::optional<int>(std::stoi(percent))};
    const ULONGLONG now =
        kFileTimeUnitsPerDay + std::stoull(word.substr(at + 1)) * kFileTimeUnitsPerSecond;
    const std::optional<CriticalStep> step = countdown.Observe(reading, now);
    if (!steps.empty()) steps += ' ';
    steps += step ? "WXA"[static_cast<int>(*step)] : '-';
  }
  EXPECT_EQ(steps, GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, CriticalCountdownTest,
    testing::Values(
        CountdownCase{"ActsAtTheEndOfTheCountdown", true, "b4@0 b3@0 b3@59 b3@60", "- W - A"},
        CountdownCase{"OncePerDischarge", true, "b3@0 b3@60 b2@120 b1@300", "W A - -"},
        CountdownCase{"PowerBackCancels", true, "b3@0 m3@30 m3@60 b3@90 b3@150", "W X - W A"},
        CountdownCase{"ASecondDischargeActsAgain", true, "b3@0 b3@60 m3@70 b3@80 b3@140",
                      "W A - W A"},
        CountdownCase{"NeverOnMains", true, "m1@0 m1@100", "- -"},
        CountdownCase{"NeverWhileUnknown", true, "b?@0 b3@10 b?@40 b?@80 b3@90", "- W X - W"},
        CountdownCase{"AboveTheLevelCancels", true, "b3@0 b4@30 b3@50 b3@109 b3@110", "W X W - A"},
        CountdownCase{"AClockSetBackWaitsNoLonger", true, "b3@1000 b3@0 b3@60", "W - A"},
        CountdownCase{"CannotActWarnsOncePerDischarge", false,
                      "b3@0 b3@60 b?@70 b4@80 b2@90 m2@100 m2@110 b3@120", "W - - - - X - W"}),
    [](const testing::TestParamInfo<CountdownCase>& info) { return info.param.name; });

// A battery script: "b20" is a line of 20 % on battery with 1.5 h to show from the statistics,
// "m20" one on mains, "b?" on battery with the charge not known; "b20:25" shows 25 minutes at the
// recent rate instead (its line's statistics read 0.1 h), "b20:-" nothing to show.
std::string LineOf(const std::string& word) {
  const size_t colon = word.find(':');
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) about " " + a returned string
  // when optimising.
  std::string line = " ";
  line += word.substr(1, colon - 1);
  line += word[0] == 'm'               ? "%, hrs: N/A (online)"
          : colon == std::string::npos ? "%, hrs: 1.5 (2.0)"
                                       : "%, hrs: 0.1 (2.0)";
  return line;
}

EstimateView ViewOf(const std::string& word) {
  EstimateView view;
  view.learning = false;
  view.statistics = StatisticsCheck{};  // learnt: no note
  const size_t colon = word.find(':');
  if (colon == std::string::npos) {
    view.hours = HoursToShow{1.5, HoursSource::TimeOfDay};
  } else if (word.substr(colon + 1) != "-") {
    view.hours = HoursToShow{std::stoi(word.substr(colon + 1)) / 60.0, HoursSource::RecentRate};
  }
  return view;
}

// Serves the bus as the bar's loop does, until no warning awaits its answer and nothing waits to
// be sent, or ten seconds passed.
void Settle(BatteryNotifications& notifications) {
  ClockPacer realTime;
  PollWaiter waiter(realTime);
  waiter.WatchConnection(WakeReason::SessionBus, &notifications.connection());
  const auto end = std::chrono::steady_clock::now() + 10s;
  while ((notifications.awaitingAnswer() || (notifications.connection().events() & POLLOUT) != 0) &&
         std::chrono::steady_clock::now() < end) {
    if (waiter.Wait(std::nullopt, -1, 100) == WakeReason::SessionBus) notifications.Serve();
  }
}

// The warnings a battery script brings, delivered to the notifications; "!" (not a line) lets a
// service that holds its answers answer. The bus is served after each line once the service
// answers.
void Deliver(BatteryNotifications& notifications, const WarningLevels& levels,
             const std::string& script, RecordingNotificationService* holding = nullptr) {
  LineWarnings warnings(levels);
  std::istringstream words(script);
  for (std::string word; words >> word;) {
    if (word == "!") {
      holding->Release();
      holding = nullptr;
    } else if (const std::optional<LineWarning> warning =
                   warnings.Observe(LineOf(word), ViewOf(word))) {
      notifications.Deliver(*warning);
    }
    if (holding == nullptr) Settle(notifications);
  }
}

std::string Low(int replaces, int percent,
                const std::string& body = "About 1.5 h left at this time of day") {
  return "Notify zelvar-home replaces=" + std::to_string(replaces) +
         " icon=battery-low urgency=1 category=device " + "expire=-1 'Battery " +
         std::to_string(percent) + " %' '" + body + "'";
}
std::string Critical(int replaces, int percent,
                     const std::string& body = "About 1.5 h left at this time of day") {
  return "Notify zelvar-home replaces=" + std::to_string(replaces) +
         " icon=battery-caution urgency=2 " + "category=device expire=-1 'Battery " +
         std::to_string(percent) + " %' '" + body + "'";
}
std::string Minutes(int minutes) {
  return "About " + std::to_string(minutes) + " min left at your recent rate";
}
std::string Close(int id) { return "CloseNotification " + std::to_string(id); }

struct BatteryScriptCase {
  const char* name;
  NotifyThresholds thresholds;
  const char* script;
  std::vector<std::string> calls;  // the service numbers its notifications 1, 2, 3...
  // OnRelease: the service answers at "!" and from then on; the lines before it come while the
  // warnings await their answers.
  Answers answers = Answers::AtOnce;
  NotifyMinutes minutes = {};
};

class LowBatteryNotificationsTest : public testing::TestWithParam<BatteryScriptCase> {};

TEST_P(LowBatteryNotificationsTest, SendsExactlyTheseCalls) {
  const PrivateSessionBus bus;
  RecordingNotificationService service(bus.address(), GetParam().answers);
  std::vector<std::string> reports;
  BatteryNotifications notifications([&](const std::string& line) { reports.push_back(line); });
  notifications.Start();
  Deliver(notifications, {GetParam().thresholds, GetParam().minutes}, GetParam().script,
          GetParam().answers == Answers::OnRelease ? &service : nullptr);
  service.WaitForCalls(GetParam().calls.size());
  EXPECT_EQ(service.calls(), GetParam().calls);
  EXPECT_EQ(reports, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, LowBatteryNotificationsTest,
    testing::Values(
        BatteryScriptCase{"DownToEmpty",
                          kDefaultNotifyThresholds,
                          "b25 b21 b20 b19 b11 b10 b9 b6 b5 b4 b1",
                          {Low(0, 20), Low(1, 10), Critical(2, 5)}},
        BatteryScriptCase{"PowerBackRearms",
                          kDefaultNotifyThresholds,
                          "b21 b20 b18 m18 m19 m30 b30 b20 m20 b20",
                          {Low(0, 20), Close(1), Low(0, 20), Close(2), Low(0, 20)}},
        BatteryScriptCase{
            "FallPastSeveral", kDefaultNotifyThresholds, "b30 b4 b3", {Critical(0, 4)}},
        BatteryScriptCase{
            "UnknownOrMainsSilent", kDefaultNotifyThresholds, "b? m3 m50 b50 b? m40", {}},
        BatteryScriptCase{"OwnThresholds",
                          NotifyThresholds{25, 10},
                          "b26 b25 b20 b11 b10 b5",
                          {Low(0, 25), Critical(1, 10)}},
        BatteryScriptCase{
            "RisingChargeSilent", kDefaultNotifyThresholds, "b20 b22 b20 b12", {Low(0, 20)}},
        BatteryScriptCase{"WithdrawnBeforeAnswer",
                          kDefaultNotifyThresholds,
                          "b20 m20 !",
                          {Low(0, 20), Close(1)},
                          Answers::OnRelease},
        BatteryScriptCase{"WarnedWhileAwaiting",
                          kDefaultNotifyThresholds,
                          "b20 b10 b5 ! b4 m4",
                          {Low(0, 20), Critical(1, 5), Close(2)},
                          Answers::OnRelease},
        BatteryScriptCase{"WithdrawnAndWarnedAgain",
                          kDefaultNotifyThresholds,
                          "b20 m20 b20 !",
                          {Low(0, 20), Close(1), Low(0, 20)},
                          Answers::OnRelease},
        // Time levels of 30 and 10 minutes beside the charge levels.
        BatteryScriptCase{"ByTimeEachLevelOnce",
                          kDefaultNotifyThresholds,
                          "b50:45 b48:31 b47:30 b45:25 b44:29 b40:11 b39:10 b38:5",
                          {Low(0, 47, Minutes(30)), Critical(1, 39, Minutes(10))},
                          Answers::AtOnce,
                          {30, 10}},
        BatteryScriptCase{"ByTimePowerBackRearms",
                          kDefaultNotifyThresholds,
                          "b50:25 m50 b50:25",
                          {Low(0, 50, Minutes(25)), Close(1), Low(0, 50, Minutes(25))},
                          Answers::AtOnce,
                          {30, 10}},
        // No figure, no time warning; then both time levels at once warn once, critically.
        BatteryScriptCase{"ByTimeNeedsAFigure",
                          kDefaultNotifyThresholds,
                          "b50:- b21:- b20:- b19:9",
                          {Low(0, 20, "Hours left not known yet"), Critical(1, 19, Minutes(9))},
                          Answers::AtOnce,
                          {30, 10}},
        BatteryScriptCase{
            "ByTimeAfterChargeSaysMinutes",
            kDefaultNotifyThresholds,
            "b21:48 b20:48 b19:20 b18:19 b12:12 b10:12 b9:9",
            {Low(0, 20, "About 0.8 h left at your recent rate"), Low(1, 19, Minutes(20)),
             Low(2, 10, Minutes(12)), Critical(3, 9, Minutes(9))},
            Answers::AtOnce,
            {30, 10}},
        // A charge warning that stated 25 minutes told of the 30-minute level.
        BatteryScriptCase{"ChargeWarningToldTheTimeLevel",
                          kDefaultNotifyThresholds,
                          "b20:25 b19:24 b18:10",
                          {Low(0, 20, Minutes(25)), Critical(1, 18, Minutes(10))},
                          Answers::AtOnce,
                          {30, 10}},
        // After the critical warning, a later one replacing it is no less urgent.
        BatteryScriptCase{
            "CriticalStaysCritical",
            kDefaultNotifyThresholds,
            "b20:48 b5:48 b4:25",
            {Low(0, 20, "About 0.8 h left at your recent rate"),
             Critical(1, 5, "About 0.8 h left at your recent rate"), Critical(2, 4, Minutes(25))},
            Answers::AtOnce,
            {30, 10}}),
    [](const testing::TestParamInfo<BatteryScriptCase>& info) { return info.param.name; });

// A charging script: "b60" a reading of 60 % on battery, "c79" charging, "m80" on mains and not
// charging, "f98" the same with every battery saying it is full, "u80" not charging with the power
// not known, "?" a failed reading, "L" a low-battery warning delivered beside, its body with the
// characters that markup reads.
struct ChargeScriptCase {
  const char* name;
  std::optional<ChargeEnd> end;  // where charging ends, for every reading
  const char* script;
  std::vector<std::string> calls;
  bool bodyMarkup = false;  // the service reads bodies as markup
};

std::string Charged(int replaces, const std::string& summary) {
  return "Notify zelvar-home replaces=" + std::to_string(replaces) +
         " icon=battery-full-charged urgency=1 category=device expire=-1 '" + summary + "' ''";
}
const std::string kAtLimit = "Charged to 80 % (the charge limit)";
const std::string kCountdownOfACommand = CountdownBody("Running \"a && b <c>\"");
std::string Warned(int replaces, const std::string& body) {
  return "Notify zelvar-home replaces=" + std::to_string(replaces) +
         " icon=battery-low urgency=1 category=device expire=-1 'Battery 20 %' '" + body + "'";
}

class FullChargeNotificationsTest : public testing::TestWithParam<ChargeScriptCase> {};

TEST_P(FullChargeNotificationsTest, SendsExactlyTheseCalls) {
  const PrivateSessionBus bus;
  RecordingNotificationService service(bus.address(), Answers::AtOnce, GetParam().bodyMarkup);
  BatteryNotifications notifications([](const std::string& line) { ADD_FAILURE() << line; });
  notifications.Start();
  FullChargeWatch watch;
  bool shown = false;
  std::istringstream words(GetParam().script);
  for (std::string word; words >> word;) {
    if (word == "L") {
      notifications.Deliver(
          LineWarning(WarningToShow{"Battery 20 %", kCountdownOfACommand, false}));
      Settle(notifications);
      continue;
    }
    std::optional<SYSTEM_POWER_STATUS_EX2> status;
    std::optional<ChargeEnd> end = GetParam().end;
    if (word != "?") {
      const int percent = std::stoi(word.substr(1));
      status = SYSTEM_POWER_STATUS_EX2{};
      status->ACLineStatus = word[0] == 'b'   ? AC_LINE_OFFLINE
                             : word[0] == 'u' ? AC_LINE_UNKNOWN
                                              : AC_LINE_ONLINE;
      status->BatteryFlag = word[0] == 'c' ? BATTERY_FLAG_CHARGING : BATTERY_FLAG_HIGH;
      status->BatteryLifePercent = static_cast<BYTE>(percent);
      if (word[0] == 'f') end = ChargeEnd{end ? end->limit : std::nullopt, true};
    }
    if (const std::optional<FullChargeChange> change = watch.Observe(status, end)) {
      // A withdrawal follows a notice, once.
      const bool notice = std::holds_alternative<FullChargeNotice>(*change);
      EXPECT_TRUE(notice || shown) << word;
      shown = notice;
      notifications.Deliver(*change);
    }
    Settle(notifications);
  }
  service.WaitForCalls(GetParam().calls.size());
  EXPECT_EQ(service.calls(), GetParam().calls);
  // Asked once, with the first notification.
  EXPECT_EQ(service.capabilityQueries(), GetParam().calls.empty() ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, FullChargeNotificationsTest,
    testing::Values(
        ChargeScriptCase{"HeldByItsLimitOncePerCharge",
                         ChargeEnd{80, false},
                         "b60 c70 c79 ? m80 c80 m80 b79 m79",
                         {Charged(0, kAtLimit), Close(1), Charged(0, kAtLimit)}},
        ChargeScriptCase{"NearTheLimitOnly",
                         ChargeEnd{80, false},
                         "b70 m60 b70 m77 b77 m83 m78 b78 m82",
                         {Charged(0, kAtLimit), Close(1), Charged(0, kAtLimit)}},
        ChargeScriptCase{"FullWithoutALimitOrAboveIt",
                         ChargeEnd{80, false},
                         "c97 f98 b98 m99 b99 m100",
                         {Charged(0, "Fully charged"), Close(1), Charged(0, "Fully charged")}},
        ChargeScriptCase{"FullWhereTheSourceDoesNotTell",
                         std::nullopt,
                         "c98 m99 m100 b100",
                         {Charged(0, "Fully charged"), Close(1)}},
        ChargeScriptCase{
            "StartedHeldOrPowerUnknownSilent", ChargeEnd{80, false}, "m80 ? m80 b79 u80", {}},
        ChargeScriptCase{"ALowBatteryWarningReplacesNoNotice",
                         ChargeEnd{80, false},
                         "c79 m80 L",
                         {Charged(0, kAtLimit), Warned(0, kCountdownOfACommand)}},
        ChargeScriptCase{"AMarkupServerShowsTheBodyAsItIs",
                         std::nullopt,
                         "L L",
                         {Warned(0,
                                 "Running \"a &amp;&amp; b &lt;c&gt;\" in 60 s unless the "
                                 "charger is plugged in"),
                          Warned(1,
                                 "Running \"a &amp;&amp; b &lt;c&gt;\" in 60 s unless the "
                                 "charger is plugged in")},
                         true}),
    [](const testing::TestParamInfo<ChargeScriptCase>& info) { return info.param.name; });

TEST(BatteryNotificationsTest, WithoutServiceOrBusSaysSoOnce) {
  std::vector<std::string> reports;
  const auto report = [&](const std::string& line) { reports.push_back(line); };
  {
    const PrivateSessionBus bus;
    BatteryNotifications notifications(report);
    notifications.Start();
    // No call at the start: a bus without the service says nothing until a warning fails.
    EXPECT_EQ(reports.size(), 0u);
    Deliver(notifications, WarningLevels{}, "b20 b5");
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0],
            "no desktop notifications: the session bus has no notification service "
            "(org.freedesktop.Notifications); tried again at each warning");

  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
  BatteryNotifications notifications(report);
  notifications.Start();
  ASSERT_EQ(reports.size(), 2u);
  Deliver(notifications, WarningLevels{}, "b5");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(
      reports[1],
      "no desktop notifications: cannot connect to the session bus: No such file or directory; "
      "tried again at each warning");
}

// A service that starts after the program (or that the bus starts on demand) is no failure.
TEST(BatteryNotificationsTest, AServiceStartedLaterIsFoundAndNotReportedMissing) {
  const PrivateSessionBus bus;
  std::vector<std::string> reports;
  BatteryNotifications notifications([&](const std::string& line) { reports.push_back(line); });
  notifications.Start();
  Settle(notifications);
  const RecordingNotificationService service(bus.address());
  Deliver(notifications, WarningLevels{}, "b20");
  EXPECT_EQ(service.calls(), std::vector<std::string>{Low(0, 20)});
  EXPECT_EQ(reports, std::vector<std::string>{});
}

// A notification service the bus starts on demand, slowly (in 6 s, longer than the start of a run
// used to wait), is started by the first warning, shows it and is no failure.
TEST(BatteryNotificationsTest, AServiceTheBusStartsSlowlyOnDemandShowsTheFirstWarning) {
  const TempFolder folder;
  const PrivateSessionBus bus("/bin/sh -c 'sleep 6; exec " NOTIFICATION_SERVICE_STAND_IN " " +
                              (folder.path() / "calls").string() + "'");
  std::vector<std::string> reports;
  BatteryNotifications notifications([&](const std::string& line) { reports.push_back(line); });
  notifications.Start();
  Deliver(notifications, WarningLevels{}, "b20");
  EXPECT_EQ(reports, std::vector<std::string>{});
  for (int tries = 0; tries < 100 && folder.Read("calls").empty(); ++tries)
    std::this_thread::sleep_for(50ms);
  EXPECT_EQ(folder.Read("calls"), Low(0, 20) + "\n");
}

// A service that takes calls and never answers: each warning is sent without waiting, the next
// waits for the answer to the one before it (to replace it) until that call's time runs out, which
// is said once.
TEST(BatteryNotificationsTest, AServiceThatNeverAnswersHoldsNothingUpAndItsSilenceEnds) {
  const PrivateSessionBus bus;
  RecordingNotificationService service(bus.address(), Answers::Never);
  std::vector<std::string> reports;
  BatteryNotifications notifications([&](const std::string& line) { reports.push_back(line); },
                                     300'000);
  notifications.Start();
  const auto before = std::chrono::steady_clock::now();
  Deliver(notifications, WarningLevels{}, "b20 b10", &service);
  EXPECT_LT(std::chrono::steady_clock::now() - before, 100ms);
  Settle(notifications);
  EXPECT_EQ(service.calls(), (std::vector<std::string>{Low(0, 20), Low(0, 10)}));
  EXPECT_EQ(reports, std::vector<std::string>{
                         "no desktop notifications: the notification service failed: Method call "
                         "timed out; tried again at each warning"});
}

// A bus that takes the connection and never greets holds up neither a warning nor the end of the
// run.
// A warning sent just before the end, while the bus has not greeted yet, or (its body with
// characters that markup reads) while the service's capabilities are awaited, still reaches the
// service.
TEST(BatteryNotificationsTest, AWarningSentAtTheEndIsWrittenOut) {
  for (const auto& [answers, body] : {std::pair{Answers::Never, std::string()},
                                      std::pair{Answers::AtOnce, kCountdownOfACommand}}) {
    const PrivateSessionBus bus;
    const RecordingNotificationService service(bus.address(), answers);
    {
      BatteryNotifications notifications([](const std::string&) {});
      notifications.Start();
      notifications.Deliver(WarningToShow{"Battery 20 %", body, false});
    }
    EXPECT_TRUE(service.WaitForCalls(1)) << body;
  }
}

TEST(BatteryNotificationsTest, ABusThatNeverGreetsHoldsUpNothing) {
  const SilentBus bus("DBUS_SESSION_BUS_ADDRESS");
  const auto start = std::chrono::steady_clock::now();
  {
    BatteryNotifications notifications([](const std::string&) {});
    notifications.Start();
    notifications.Deliver(WarningToShow{"Battery 20 %", "", false});
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

// The bus's text, whatever program sent it, reaches standard error as one short printable line.
TEST(CallFailureTest, NamesTheCauseInOneShortLine) {
  const std::string prefix = "the notification service failed: ";
  const struct {
    const char* name;
    std::string message;
    int errorNumber;
    std::string said;
  } rows[] = {
      {"org.freedesktop.DBus.Error.ServiceUnknown", "The name is not activatable", 0,
       "the session bus has no notification service (org.freedesktop.Notifications)"},
      {"org.example.Error", "Denied", 0, prefix + "Denied"},
      {"org.example.Error", "", 0, prefix + "org.example.Error"},
      {"", "", ENOTCONN, prefix + "Transport endpoint is not connected"},
      {"org.example.Error", "first line\r\nsecond line", 0, prefix + "first line"},
      {"org.example.Error", "\x1b]0;owned\x07 tab\there \xc2\x9b\xff", 0,
       prefix + "\xef\xbf\xbd]0;owned\xef\xbf\xbd tab here \xef\xbf\xbd\xef\xbf\xbd"},
      {"org.example.Error", std::string(kShortLineCharacters, 'x'), 0,
       prefix + std::string(kShortLineCharacters, 'x')},
      {"org.example.Error", std::string(kShortLineCharacters + 1, 'x'), 0,
       prefix + std::string(kShortLineCharacters - 3, 'x') + "..."},
      {"org.example.Error", std::string(kShortLineCharacters + 1, '\xe4'), 0,
       prefix +
           [] {
             std::string cut;
             for (size_t i = 0; i < kShortLineCharacters - 3; ++i) cut += "\xef\xbf\xbd";
             return cut + "...";
           }()},
  };
  for (const auto& row : rows)
    EXPECT_EQ(CallFailure(row.name, row.message, row.errorNumber), row.said) << row.message;
}

}  // namespace
