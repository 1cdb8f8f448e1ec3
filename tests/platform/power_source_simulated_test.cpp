#include "platform/power/power_source_simulated.h"

#include <gtest/gtest.h>

#include "platform/time/simulated_clock.h"
#include "tests/fakes/time_builders.h"

namespace {

constexpr LONGLONG kMinuteMs = LONGLONG{60} * 1000;

SimulatedBattery::DrainProfile Profile(double otherHours,
                                       std::initializer_list<std::pair<int, double>> hours) {
  SimulatedBattery::DrainProfile profile;
  profile.fill(otherHours);
  for (const auto& [hour, rate] : hours) profile[hour] = rate;
  return profile;
}

SYSTEM_POWER_STATUS_EX2 ReadStatus(SimulatedBattery& battery) {
  SYSTEM_POWER_STATUS_EX2 status{};
  EXPECT_TRUE(battery.Read(status, false));
  return status;
}

// A battery on a clock installed at 2006-05-07 10:00, local time UTC.
class SimulatedBatteryAtTen : public testing::Test {
 protected:
  SimulatedClock clock{Utc(2006, 5, 7, 10), 0};
  ScopedClock installedClock{clock};
};

}  // namespace

TEST(SimulatedBattery, DrainsByTheLocalHourOfDay) {
  SimulatedClock clock(Utc(2006, 5, 7, 10), 120);  // 12:00 local
  ScopedClock installed(clock);
  SimulatedBattery battery(80, Profile(2, {{12, 5}, {13, 4}}));
  clock.AdvanceMilliseconds(90 * kMinuteMs);
  const SYSTEM_POWER_STATUS_EX2 status = ReadStatus(battery);
  EXPECT_EQ(status.ACLineStatus, AC_LINE_OFFLINE);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
  EXPECT_EQ(status.BatteryLifePercent, 73);
  EXPECT_EQ(status.BatteryCurrent, -60);      // 4 points per hour of 1500 mAh
  EXPECT_EQ(status.BatteryLifeTime, 65700u);  // 73 points at 4 per hour
  EXPECT_EQ(status.BatteryFullLifeTime, 90000u);
  EXPECT_EQ(status.BatteryVoltage, 4038u);
}

TEST(SimulatedBattery, FollowsHalfHourOffsetsAndDaylightSaving) {
  SimulatedClock india(Utc(2006, 5, 7, 10), 5 * 60 + 30);  // 15:30 local
  ScopedClock installedIndia(india);
  SimulatedBattery halfHours(80, Profile(0, {{15, 2}, {16, 6}}));
  india.AdvanceMilliseconds(60 * kMinuteMs);
  EXPECT_DOUBLE_EQ(halfHours.Percent(), 76);

  SimulatedClock europe(Utc(2006, 3, 26, 0), 60);   // 01:00 local
  europe.ChangeOffsetAt(Utc(2006, 3, 26, 1), 120);  // 02:00 local becomes 03:00
  ScopedClock installedEurope(europe);
  SimulatedBattery switched(80, Profile(0, {{1, 1}, {2, 10}, {3, 3}}));
  europe.AdvanceMilliseconds(120 * kMinuteMs);
  EXPECT_DOUBLE_EQ(switched.Percent(), 76);
}

TEST_F(SimulatedBatteryAtTen, ChargesOnMainsUpToFullThenDrainsOffIt) {
  SimulatedBattery battery(80, Profile(4, {}));
  battery.SetOnMains(true);
  SYSTEM_POWER_STATUS_EX2 status = ReadStatus(battery);
  EXPECT_EQ(status.ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_CHARGING);
  EXPECT_EQ(status.BatteryCurrent, 600);
  EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
  clock.AdvanceMilliseconds(90 * kMinuteMs);
  status = ReadStatus(battery);
  EXPECT_EQ(status.BatteryLifePercent, 100);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
  EXPECT_EQ(status.BatteryCurrent, 0);

  battery.SetOnMains(false);
  clock.AdvanceMilliseconds(30 * kMinuteMs);
  EXPECT_DOUBLE_EQ(battery.Percent(), 98);
}

TEST_F(SimulatedBatteryAtTen, StaysEmptyAndIgnoresAClockSetBack) {
  SimulatedBattery battery(3, Profile(2, {}));
  clock.AdvanceMilliseconds(-120 * kMinuteMs);
  EXPECT_DOUBLE_EQ(battery.Percent(), 3);
  clock.AdvanceMilliseconds(30 * kMinuteMs);
  EXPECT_EQ(ReadStatus(battery).BatteryFlag, BATTERY_FLAG_CRITICAL);
  clock.AdvanceMilliseconds(kMinuteMs * 24 * 60);
  const SYSTEM_POWER_STATUS_EX2 status = ReadStatus(battery);
  EXPECT_EQ(status.BatteryLifePercent, 0);
  EXPECT_EQ(status.BatteryCurrent, 0);
}

TEST_F(SimulatedBatteryAtTen, FailingMakesTheStatusCallFail) {
  SimulatedBattery battery;
  ScopedPowerSource installed(battery);
  SYSTEM_POWER_STATUS_EX2 status{};
  battery.SetFailing(true);
  EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof(status), TRUE), 0u);
  battery.SetFailing(false);
  EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof(status), TRUE), sizeof(status));
  EXPECT_EQ(status.BatteryLifePercent, 80);
}

TEST(ChargingHabit, NightWrapsPastMidnightOrNot) {
  struct Case {
    int plugIn, unplug, hour;
    bool night;
  };
  for (const Case& c :
       {Case{23, 7, 22, false}, Case{23, 7, 23, true}, Case{23, 7, 0, true}, Case{23, 7, 6, true},
        Case{23, 7, 7, false}, Case{0, 6, 0, true}, Case{0, 6, 5, true}, Case{0, 6, 6, false},
        Case{0, 6, 23, false}, Case{8, 8, 8, false}, Case{8, 8, 7, false}}) {
    const ChargingHabit habit{c.plugIn, c.unplug, 15};
    EXPECT_EQ(habit.InNight(c.hour), c.night) << c.plugIn << "-" << c.unplug << " at " << c.hour;
  }
}

TEST(SimulatedBattery, HabitPlugsInForTheNightAndUnplugsInTheMorning) {
  SimulatedClock clock(Utc(2006, 5, 7, 19), 120);  // 21:00 local
  ScopedClock installed(clock);
  SimulatedBattery battery(80, Profile(2, {}));
  battery.FollowHabit(ChargingHabit{23, 7, 10});
  clock.AdvanceMilliseconds(119 * kMinuteMs);  // 22:59
  EXPECT_EQ(ReadStatus(battery).ACLineStatus, AC_LINE_OFFLINE);
  clock.AdvanceMilliseconds(kMinuteMs);  // 23:00
  SYSTEM_POWER_STATUS_EX2 status = ReadStatus(battery);
  EXPECT_EQ(status.ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_CHARGING);
  EXPECT_DOUBLE_EQ(battery.Percent(), 76);
  clock.AdvanceMilliseconds(30 * kMinuteMs);
  EXPECT_DOUBLE_EQ(battery.Percent(), 96);
  clock.AdvanceMilliseconds(449 * kMinuteMs);  // 06:59, full
  status = ReadStatus(battery);
  EXPECT_EQ(status.ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(status.BatteryLifePercent, 100);
  clock.AdvanceMilliseconds(61 * kMinuteMs);  // 08:00
  EXPECT_EQ(ReadStatus(battery).ACLineStatus, AC_LINE_OFFLINE);
  EXPECT_DOUBLE_EQ(battery.Percent(), 98);
}

TEST_F(SimulatedBatteryAtTen, HabitTopsUpBelowItsThresholdUntilFull) {
  SimulatedBattery battery(20, Profile(4, {}));
  battery.FollowHabit(ChargingHabit{23, 7, 15});
  EXPECT_FALSE(battery.OnMains());
  clock.AdvanceMilliseconds(120 *
                            kMinuteMs);  // 12:00: 15 % at 11:15, then 45 minutes at 40 an hour
  EXPECT_TRUE(battery.OnMains());
  EXPECT_NEAR(battery.Percent(), 45, 1e-6);
  clock.AdvanceMilliseconds(142 * kMinuteMs +
                            kMinuteMs / 2);  // 14:22:30: full at 13:22:30, then an hour off
  EXPECT_FALSE(battery.OnMains());
  EXPECT_NEAR(battery.Percent(), 96, 1e-6);
}

TEST(SimulatedBattery, HabitStartsOnMainsInItsNightAndFollowsAClockChange) {
  SimulatedClock clock(Utc(2006, 5, 7, 2), 0);
  ScopedClock installed(clock);
  SimulatedBattery night(50, Profile(2, {}));
  night.FollowHabit(ChargingHabit{23, 7, 10});
  EXPECT_TRUE(night.OnMains());

  // 02:00 local is skipped: the night from 02:00 begins at 03:00 all the same.
  SimulatedClock europe(Utc(2006, 3, 26, 0), 60);   // 01:00 local
  europe.ChangeOffsetAt(Utc(2006, 3, 26, 1), 120);  // 02:00 local becomes 03:00
  ScopedClock installedEurope(europe);
  SimulatedBattery skipped(50, Profile(2, {}));
  skipped.FollowHabit(ChargingHabit{2, 6, 10});
  EXPECT_FALSE(skipped.OnMains());
  europe.AdvanceMilliseconds(90 * kMinuteMs);
  EXPECT_TRUE(skipped.OnMains());
  EXPECT_DOUBLE_EQ(skipped.Percent(), 68);  // 2 points in the hour off, then 30 minutes at 40
}

TEST_F(SimulatedBatteryAtTen, AThresholdOfAFullBatteryIsHeldBelowFull) {
  SimulatedBattery battery(100, Profile(1, {}));
  battery.FollowHabit(ChargingHabit{23, 7, 150});
  clock.AdvanceMilliseconds(180 * kMinuteMs);
  EXPECT_GE(battery.Percent(), 99.0);
}
