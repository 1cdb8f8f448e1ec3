// Low-battery warnings: the thresholds' form, the words, the warnings decided from the painted
// lines and the calls the desktop's notification service receives over a real session bus as a
// battery runs down, is charged and runs down again.
#include <gtest/gtest.h>

#include <sstream>

#include "host/estimate/low_battery_text.h"
#include "host/front/notify/low_battery_notifications.h"
#include "tests/fakes/session_bus.h"

namespace {

struct ThresholdCase {
  const char* text;
  std::optional<NotifyThresholds> parsed;
};

class NotifyThresholdsTest : public testing::TestWithParam<ThresholdCase> {};

TEST_P(NotifyThresholdsTest, Parses) {
  EXPECT_EQ(ParseNotifyThresholds(GetParam().text), GetParam().parsed);
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
                    ThresholdCase{"10,10", std::nullopt}, ThresholdCase{"10x", std::nullopt}));

TEST(LowBatteryTextTest, SaysTheChargeTheFigureItsSourceAndTheNote) {
  EXPECT_EQ(LowBatterySummary(10), "Battery 10 %");
  EXPECT_EQ(LowBatteryBody(HoursLeft{1.44, true}, std::nullopt),
            "About 1.4 h left at this time of day");
  EXPECT_EQ(LowBatteryBody(HoursLeft{2.05, false}, std::nullopt),
            "About 2.0 h left at the rate since unplugged");
  EXPECT_EQ(LowBatteryBody(std::nullopt, std::string("Still learning")),
            "Hours left not known yet\nStill learning");
  // Read back for the replays' judgement.
  EXPECT_EQ(HoursInBody(LowBatteryBody(HoursLeft{12.34, false}, std::string("Still learning"))),
            12.3);
  EXPECT_EQ(HoursInBody(LowBatteryBody(std::nullopt, std::nullopt)), std::nullopt);
}

// A battery script: "b20" is a line of 20 % on battery with 1.5 h left from the statistics, "m20"
// one on mains, "b?" on battery with the charge not known.
std::vector<std::string> Lines(const std::string& script) {
  std::vector<std::string> lines;
  std::istringstream words(script);
  for (std::string word; words >> word;) {
    lines.push_back(" " + word.substr(1) +
                    (word[0] == 'b' ? "%, hrs: 1.5 (2.0)" : "%, hrs: N/A (online)"));
  }
  return lines;
}

// The warnings a battery script brings, delivered to the notifications.
void Deliver(LowBatteryNotifications& notifications, const NotifyThresholds& thresholds,
             const std::string& script) {
  LineWarnings warnings(thresholds, [] { return false; });
  for (const std::string& line : Lines(script)) {
    if (const std::optional<LineWarning> warning = warnings.Observe(line))
      notifications.Deliver(*warning);
  }
}

std::string Low(int replaces, int percent) {
  return "Notify zelvar-home replaces=" + std::to_string(replaces) +
         " icon=battery-low urgency=1 category=device " + "expire=-1 'Battery " +
         std::to_string(percent) + " %' 'About 1.5 h left at this time of day'";
}
std::string Critical(int replaces, int percent) {
  return "Notify zelvar-home replaces=" + std::to_string(replaces) +
         " icon=battery-caution urgency=2 " + "category=device expire=-1 'Battery " +
         std::to_string(percent) + " %' 'About 1.5 h left at this time of day'";
}
std::string Close(int id) { return "CloseNotification " + std::to_string(id); }

struct BatteryScriptCase {
  const char* name;
  NotifyThresholds thresholds;
  const char* script;
  std::vector<std::string> calls;  // the service numbers its notifications 1, 2, 3...
};

class LowBatteryNotificationsTest : public testing::TestWithParam<BatteryScriptCase> {};

TEST_P(LowBatteryNotificationsTest, SendsExactlyTheseCalls) {
  const PrivateSessionBus bus;
  const RecordingNotificationService service(bus.address());
  std::vector<std::string> reports;
  LowBatteryNotifications notifications([&](const std::string& line) { reports.push_back(line); });
  Deliver(notifications, GetParam().thresholds, GetParam().script);
  EXPECT_EQ(service.calls(), GetParam().calls);
  EXPECT_EQ(reports, std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, LowBatteryNotificationsTest,
    testing::Values(BatteryScriptCase{"DownToEmpty",
                                      kDefaultNotifyThresholds,
                                      "b25 b21 b20 b19 b11 b10 b9 b6 b5 b4 b1",
                                      {Low(0, 20), Low(1, 10), Critical(2, 5)}},
                    BatteryScriptCase{"PowerBackClosesAndTheNextDischargeWarnsAgain",
                                      kDefaultNotifyThresholds,
                                      "b21 b20 b18 m18 m19 m30 b30 b20 m20 b20",
                                      {Low(0, 20), Close(1), Low(0, 20), Close(2), Low(0, 20)}},
                    BatteryScriptCase{"AFallPastSeveralWarnsOnceForTheLowest",
                                      kDefaultNotifyThresholds,
                                      "b30 b4 b3",
                                      {Critical(0, 4)}},
                    BatteryScriptCase{"UnknownChargeAndMainsWithoutWarningSendNothing",
                                      kDefaultNotifyThresholds,
                                      "b? m3 m50 b50 b? m40",
                                      {}},
                    BatteryScriptCase{"OwnThresholds",
                                      NotifyThresholds{25, 10},
                                      "b26 b25 b20 b11 b10 b5",
                                      {Low(0, 25), Critical(1, 10)}},
                    BatteryScriptCase{"ARisingChargeOnBatteryDoesNotWarnAgain",
                                      kDefaultNotifyThresholds,
                                      "b20 b22 b20 b12",
                                      {Low(0, 20)}}),
    [](const testing::TestParamInfo<BatteryScriptCase>& info) { return info.param.name; });

TEST(LowBatteryNotificationsTest, WithoutServiceOrBusSaysSoOnce) {
  std::vector<std::string> reports;
  const auto report = [&](const std::string& line) { reports.push_back(line); };
  {
    const PrivateSessionBus bus;
    LowBatteryNotifications notifications(report);
    notifications.Start();
    Deliver(notifications, kDefaultNotifyThresholds, "b5");
  }
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0],
            "no desktop notifications: the session bus has no notification service "
            "(org.freedesktop.Notifications); tried again at each warning");

  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
  LowBatteryNotifications notifications(report);
  notifications.Start();
  Deliver(notifications, kDefaultNotifyThresholds, "b5");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(
      reports[1],
      "no desktop notifications: cannot connect to the session bus: No such file or directory; "
      "tried again at each warning");
}

TEST(LowBatteryNotificationsTest, AServiceStartedLaterIsFound) {
  const PrivateSessionBus bus;
  std::vector<std::string> reports;
  LowBatteryNotifications notifications([&](const std::string& line) { reports.push_back(line); });
  notifications.Start();
  const RecordingNotificationService service(bus.address());
  Deliver(notifications, kDefaultNotifyThresholds, "b20");
  EXPECT_EQ(service.calls(), std::vector<std::string>{Low(0, 20)});
  EXPECT_EQ(reports.size(), 1u);
}

}  // namespace
