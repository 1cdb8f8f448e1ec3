#include "platform/power/internal/power_status_mapping.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

PowerSupplyReading Battery(SupplyStatus status, std::optional<int64_t> capacity = std::nullopt) {
  PowerSupplyReading battery;
  battery.name = "BAT0";
  battery.type = SupplyType::Battery;
  battery.status = status;
  battery.capacity = capacity;
  return battery;
}

PowerSupplyReading EnergyBattery(SupplyStatus status, int64_t nowWh, int64_t fullWh) {
  PowerSupplyReading battery = Battery(status);
  battery.energyNow = nowWh * 1'000'000;
  battery.energyFull = fullWh * 1'000'000;
  return battery;
}

PowerSupplyReading Adapter(SupplyType type, std::optional<int64_t> online) {
  PowerSupplyReading adapter;
  adapter.type = type;
  adapter.online = online;
  return adapter;
}

SYSTEM_POWER_STATUS_EX2 Map(const std::vector<PowerSupplyReading>& supplies) {
  return MapPowerStatus(supplies);
}

BatteryPack Pack(const std::vector<PowerSupplyReading>& supplies) { return PackOf(supplies); }

}  // namespace

// The Dell listing: charge in µAh, current positive while discharging, no energy, no adapter.
TEST(PowerStatusMapping, ChargeOnlyBatteryFillsEveryField) {
  PowerSupplyReading battery = Battery(SupplyStatus::Discharging, 98);
  battery.technology = BatteryTechnology::LithiumPolymer;
  battery.voltageNow = 12'600'000;
  battery.currentNow = 756'000;
  battery.chargeFull = 4'804'000;
  battery.chargeNow = 4'723'000;
  battery.temperature = 287;
  const SYSTEM_POWER_STATUS_EX2 status = Map({battery});
  EXPECT_EQ(status.ACLineStatus, AC_LINE_OFFLINE);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
  EXPECT_EQ(status.BatteryLifePercent, 98);
  EXPECT_EQ(status.BatteryLifeTime, 22490u);  // 4723 mAh at 756 mA
  EXPECT_EQ(status.BatteryFullLifeTime, 22876u);
  EXPECT_EQ(status.BatteryVoltage, 12600u);
  EXPECT_EQ(status.BatteryCurrent, -756);
  EXPECT_EQ(status.BatteryAverageCurrent, 0u);
  EXPECT_EQ(status.BatteryAverageInterval, 0u);
  EXPECT_EQ(status.BatterymAHourConsumed, 81u);
  EXPECT_EQ(status.BatteryTemperature, 287u);
  EXPECT_EQ(status.BatteryChemistry, BATTERY_CHEMISTRY_LIPOLY);
  EXPECT_EQ(status.BackupBatteryFlag, BATTERY_FLAG_UNKNOWN);
  EXPECT_EQ(status.BackupBatteryLifePercent, BATTERY_PERCENTAGE_UNKNOWN);
  EXPECT_EQ(status.BackupBatteryLifeTime, BATTERY_LIFE_UNKNOWN);
  EXPECT_EQ(status.BackupBatteryFullLifeTime, BATTERY_LIFE_UNKNOWN);

  battery.currentNow = -1'500'000;  // drivers that sign it the other way
  battery.currentAverage = -1'200'000;
  EXPECT_EQ(Map({battery}).BatteryCurrent, -1500);
  EXPECT_EQ(static_cast<LONG>(Map({battery}).BatteryAverageCurrent), -1200);
  battery.status = SupplyStatus::Charging;
  EXPECT_EQ(Map({battery}).BatteryCurrent, 1500);
  EXPECT_EQ(Map({battery}).BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
  battery.temperature = -50;  // below freezing: the unsigned field shows 0
  EXPECT_EQ(Map({battery}).BatteryTemperature, 0u);
}

TEST(PowerStatusMapping, EnergyBatteryWithoutCurrent) {
  PowerSupplyReading battery = EnergyBattery(SupplyStatus::Discharging, 30, 60);
  battery.powerNow = -15'000'000;
  battery.voltageNow = 12'000'000;
  SYSTEM_POWER_STATUS_EX2 status = Map({battery});
  EXPECT_EQ(status.BatteryLifePercent, 50);
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
  EXPECT_EQ(status.BatteryCurrent, -1250);   // 15 W at 12 V
  EXPECT_EQ(status.BatteryLifeTime, 7200u);  // 30 Wh at 15 W
  EXPECT_EQ(status.BatteryFullLifeTime, 14400u);
  EXPECT_EQ(status.BatterymAHourConsumed, 0u);

  battery.voltageNow.reset();
  battery.powerNow.reset();
  status = Map({battery});
  EXPECT_EQ(status.BatteryCurrent, 0);
  EXPECT_EQ(status.BatteryVoltage, 0u);
  EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
}

TEST(PowerStatusMapping, BatteryFlagThresholds) {
  const std::pair<int64_t, BYTE> cases[] = {
      {100, BATTERY_FLAG_HIGH}, {67, BATTERY_FLAG_HIGH},    {66, BATTERY_FLAG_HIGH},
      {50, BATTERY_FLAG_HIGH},  {33, BATTERY_FLAG_HIGH},    {32, BATTERY_FLAG_LOW},
      {5, BATTERY_FLAG_LOW},    {4, BATTERY_FLAG_CRITICAL}, {0, BATTERY_FLAG_CRITICAL}};
  for (const auto& [percent, flag] : cases) {
    EXPECT_EQ(Map({Battery(SupplyStatus::Discharging, percent)}).BatteryFlag, flag) << percent;
  }
  EXPECT_EQ(Map({Battery(SupplyStatus::Charging, 95)}).BatteryFlag, BATTERY_FLAG_CHARGING);
  EXPECT_EQ(Map({Battery(SupplyStatus::Charging)}).BatteryFlag, BATTERY_FLAG_CHARGING);
  const SYSTEM_POWER_STATUS_EX2 unknown = Map({Battery(SupplyStatus::Discharging)});
  EXPECT_EQ(unknown.BatteryFlag, BATTERY_FLAG_UNKNOWN);
  EXPECT_EQ(unknown.BatteryLifePercent, BATTERY_PERCENTAGE_UNKNOWN);
}

// A glitch never reads as a confident percent: a negative amount or a capacity outside 0..100 is
// unreported, and the other reading stands in.
TEST(PowerStatusMapping, ReadingsThatCannotBeRightAreUnreported) {
  EXPECT_EQ(Map({EnergyBattery(SupplyStatus::Full, 51, 50)}).BatteryLifePercent, 100);
  const struct {
    std::optional<int64_t> capacity, energyNow, energyFull, chargeNow;
    BYTE percent;
  } cases[] = {
      {150, {}, {}, {}, BATTERY_PERCENTAGE_UNKNOWN},
      {101, {}, {}, {}, BATTERY_PERCENTAGE_UNKNOWN},
      {100, {}, {}, {}, 100},
      {-1, {}, {}, {}, BATTERY_PERCENTAGE_UNKNOWN},
      {0, {}, {}, {}, 0},
      {60, -1, 50'000'000, {}, 60},
      {60, 40'000'000, -50'000'000, {}, 60},
      {{}, -1, 50'000'000, {}, BATTERY_PERCENTAGE_UNKNOWN},
      {60, {}, {}, -1, 60},
      {140, 40'000'000, 0, {}, BATTERY_PERCENTAGE_UNKNOWN},
  };
  for (const auto& c : cases) {
    PowerSupplyReading battery = Battery(SupplyStatus::Discharging, c.capacity);
    battery.energyNow = c.energyNow;
    battery.energyFull = c.energyFull;
    battery.chargeNow = c.chargeNow;
    battery.chargeFull = 4'000'000;
    const SYSTEM_POWER_STATUS_EX2 status = Map({battery});
    EXPECT_EQ(status.BatteryLifePercent, c.percent)
        << c.capacity.value_or(-999) << " " << c.energyNow.value_or(-999);
    if (c.percent == BATTERY_PERCENTAGE_UNKNOWN) {
      EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_UNKNOWN);
    }
  }
}

TEST(PowerStatusMapping, AcLineFromAdaptersThenFromTheBatteryStatus) {
  const PowerSupplyReading discharging = Battery(SupplyStatus::Discharging, 50);
  EXPECT_EQ(Map({discharging, Adapter(SupplyType::Mains, 1)}).ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(Map({discharging, Adapter(SupplyType::Usb, 2)}).ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(Map({Battery(SupplyStatus::Charging), Adapter(SupplyType::Mains, 0)}).ACLineStatus,
            AC_LINE_OFFLINE);
  // An adapter that cannot tell counts as none.
  EXPECT_EQ(Map({discharging, Adapter(SupplyType::Mains, std::nullopt)}).ACLineStatus,
            AC_LINE_OFFLINE);
  const std::pair<SupplyStatus, BYTE> cases[] = {{SupplyStatus::Charging, AC_LINE_ONLINE},
                                                 {SupplyStatus::Full, AC_LINE_ONLINE},
                                                 {SupplyStatus::NotCharging, AC_LINE_ONLINE},
                                                 {SupplyStatus::Discharging, AC_LINE_OFFLINE},
                                                 {SupplyStatus::Unknown, AC_LINE_UNKNOWN}};
  for (const auto& [status, acLine] : cases) {
    EXPECT_EQ(Map({Battery(status, 50)}).ACLineStatus, acLine) << static_cast<int>(status);
  }
}

// Without an adapter, a battery that says it is "Not charging" or "Unknown" is on external power
// when no current flows and running the machine when one does; a "Full" one is on external power.
TEST(PowerStatusMapping, IdleStatusesWithoutAnAdapterAreDecidedByTheCurrent) {
  const std::optional<int64_t> none;
  const struct {
    SupplyStatus status;
    std::optional<int64_t> currentNow;  // µA
    BYTE acLine;
    LONG current;  // mA
    DWORD lifeTime;
  } cases[] = {
      {SupplyStatus::Unknown, 0, AC_LINE_ONLINE, 0, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::Unknown, 9'999, AC_LINE_ONLINE, 9, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::Unknown, 10'000, AC_LINE_OFFLINE, -10, 720'000},
      {SupplyStatus::Unknown, -2'000'000, AC_LINE_OFFLINE, -2000, 3600},
      {SupplyStatus::Unknown, none, AC_LINE_UNKNOWN, 0, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::Full, 0, AC_LINE_ONLINE, 0, BATTERY_LIFE_UNKNOWN},
      // A real listing: a laptop at 100 %, "Full", no adapter listed, current_now 413000.
      {SupplyStatus::Full, 413'000, AC_LINE_ONLINE, 413, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::Full, -2'000'000, AC_LINE_ONLINE, 2000, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::Full, none, AC_LINE_ONLINE, 0, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::NotCharging, -9'999, AC_LINE_ONLINE, 9, BATTERY_LIFE_UNKNOWN},
      {SupplyStatus::NotCharging, 2'000'000, AC_LINE_OFFLINE, -2000, 3600},
      {SupplyStatus::NotCharging, none, AC_LINE_ONLINE, 0, BATTERY_LIFE_UNKNOWN},
  };
  for (const auto& c : cases) {
    PowerSupplyReading battery = Battery(c.status);
    battery.chargeNow = 2'000'000;
    battery.chargeFull = 4'000'000;
    battery.currentNow = c.currentNow;
    const std::string name = std::to_string(static_cast<int>(c.status)) + " at " +
                             std::to_string(c.currentNow.value_or(-1)) + " µA";
    const SYSTEM_POWER_STATUS_EX2 status = Map({battery});
    EXPECT_EQ(status.ACLineStatus, c.acLine) << name;
    EXPECT_EQ(status.BatteryCurrent, c.current) << name;
    EXPECT_EQ(status.BatteryLifeTime, c.lifeTime) << name;
    EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH) << name;
    // An adapter that reports settles it whatever the current.
    EXPECT_EQ(Map({battery, Adapter(SupplyType::Mains, 1)}).ACLineStatus, AC_LINE_ONLINE) << name;
  }
  // The same rule across a pack: one battery's current is enough.
  PowerSupplyReading idle = Battery(SupplyStatus::NotCharging, 100);
  idle.currentNow = 0;
  PowerSupplyReading running = Battery(SupplyStatus::Unknown, 80);
  running.currentNow = 1'500'000;
  EXPECT_EQ(Map({idle, running}).ACLineStatus, AC_LINE_OFFLINE);
}

// On external power a full or idle battery's current counts into it, whatever sign the driver
// gives, and no run time is given.
TEST(PowerStatusMapping, CurrentSignWhenFullOrNotCharging) {
  for (SupplyStatus idle : {SupplyStatus::Full, SupplyStatus::NotCharging}) {
    for (int64_t microamps : {-500'000, 500'000}) {
      PowerSupplyReading battery = Battery(idle, 100);
      battery.currentNow = microamps;
      battery.currentAverage = microamps;
      battery.chargeNow = battery.chargeFull = 4'000'000;
      const SYSTEM_POWER_STATUS_EX2 status = Map({battery, Adapter(SupplyType::Mains, 1)});
      EXPECT_EQ(status.BatteryCurrent, 500) << static_cast<int>(idle) << " " << microamps;
      EXPECT_EQ(status.BatteryAverageCurrent, 500u) << static_cast<int>(idle) << " " << microamps;
      EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN);
      EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_HIGH);
    }
  }
}

// Numbers no battery reports count as unreported; sums and products never overflow.
TEST(PowerStatusMapping, AbsurdNumbersCountAsUnreportedOrSaturate) {
  constexpr int64_t kMax = INT64_MAX;
  constexpr int64_t kMin = INT64_MIN;
  PowerSupplyReading battery = EnergyBattery(SupplyStatus::Discharging, 30, 60);
  battery.energyNow = kMax;
  battery.capacity = 40;
  EXPECT_EQ(Map({battery}).BatteryLifePercent, 40);  // the driver's own percent stands in
  battery.capacity.reset();
  EXPECT_EQ(Map({battery}).BatteryLifePercent, BATTERY_PERCENTAGE_UNKNOWN);
  EXPECT_EQ(Map({battery}).BatteryFlag, BATTERY_FLAG_UNKNOWN);

  // At the largest plausible reading the figures hold within the record's fields.
  constexpr int64_t kLargest = 1'000'000'000'000;
  PowerSupplyReading huge = EnergyBattery(SupplyStatus::Discharging, 30, 60);
  huge.energyNow = kLargest;
  huge.energyFull = kLargest;
  huge.powerNow = 1;
  huge.voltageNow = kLargest;
  huge.temperature = kLargest;
  huge.chargeNow = 0;
  huge.chargeFull = kLargest;
  huge.currentAverage = -kLargest;
  const std::vector<PowerSupplyReading> pack(3, huge);
  SYSTEM_POWER_STATUS_EX2 status = Map(pack);
  EXPECT_EQ(status.BatteryLifePercent, 100);
  EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN - 1);
  EXPECT_EQ(status.BatteryVoltage, 1'000'000'000u);
  EXPECT_EQ(status.BatteryTemperature, UINT32_MAX);
  EXPECT_EQ(status.BatterymAHourConsumed, 3'000'000'000u);
  EXPECT_EQ(static_cast<LONG>(status.BatteryAverageCurrent), INT32_MIN);

  // One past it, or the extremes of 64 bits, are no reading at all.
  for (int64_t absurd : {kLargest + 1, -kLargest - 1, kMax, kMin}) {
    PowerSupplyReading broken = EnergyBattery(SupplyStatus::Discharging, 30, 60);
    broken.powerNow = absurd;
    broken.currentNow = absurd;
    broken.voltageNow = absurd;
    broken.temperature = absurd;
    status = Map({broken});
    EXPECT_EQ(status.BatteryLifePercent, 50) << absurd;
    EXPECT_EQ(status.BatteryCurrent, 0) << absurd;
    EXPECT_EQ(status.BatteryVoltage, 0u) << absurd;
    EXPECT_EQ(status.BatteryTemperature, 0u) << absurd;
    EXPECT_EQ(status.BatteryLifeTime, BATTERY_LIFE_UNKNOWN) << absurd;
  }
  PowerSupplyReading fastPower = EnergyBattery(SupplyStatus::Discharging, 30, 60);
  fastPower.powerNow = kLargest;
  fastPower.voltageNow = 1;  // I = P / U far beyond 32 bits of mA
  EXPECT_EQ(Map({fastPower}).BatteryCurrent, INT32_MIN);
}

TEST(PowerStatusMapping, PeripheralsAndEmptySlotsAreNoBattery) {
  PowerSupplyReading mouse = Battery(SupplyStatus::Discharging, 10);
  mouse.scope = SupplyScope::Device;
  mouse.online = 1;
  PowerSupplyReading peripheralCharger = Adapter(SupplyType::Usb, 1);
  peripheralCharger.scope = SupplyScope::Device;
  PowerSupplyReading emptySlot = Battery(SupplyStatus::Unknown, 50);
  emptySlot.present = 0;

  const SYSTEM_POWER_STATUS_EX2 status = Map({mouse, peripheralCharger, emptySlot});
  EXPECT_EQ(Pack({mouse, peripheralCharger, emptySlot}), (BatteryPack{0, 0}));
  EXPECT_EQ(status.BatteryFlag, BATTERY_FLAG_NO_BATTERY);
  EXPECT_EQ(status.ACLineStatus, AC_LINE_ONLINE);
  EXPECT_EQ(status.BatteryLifePercent, BATTERY_PERCENTAGE_UNKNOWN);
  EXPECT_EQ(status.BatteryChemistry, BATTERY_CHEMISTRY_UNKNOWN);
  EXPECT_EQ(Map({mouse, Adapter(SupplyType::Mains, 0)}).ACLineStatus, AC_LINE_OFFLINE);
  EXPECT_EQ(Map({mouse, Battery(SupplyStatus::Discharging, 90)}).BatteryLifePercent, 90);
}

TEST(PowerStatusMapping, SeveralBatteriesCountAsOnePack) {
  PowerSupplyReading first = EnergyBattery(SupplyStatus::Discharging, 30, 60);
  first.powerNow = 10'000'000;
  first.voltageNow = 11'000'000;
  first.temperature = 310;
  first.technology = BatteryTechnology::LithiumIon;
  PowerSupplyReading second = EnergyBattery(SupplyStatus::Unknown, 45, 50);
  second.voltageNow = 12'000'000;
  second.temperature = 355;

  const SYSTEM_POWER_STATUS_EX2 status = Map({first, second});
  EXPECT_EQ(status.BatteryLifePercent, 68);  // 75 of 110 Wh, not the mean of 50 % and 90 %
  EXPECT_EQ(status.ACLineStatus, AC_LINE_OFFLINE);
  EXPECT_EQ(status.BatteryLifeTime, 27000u);  // 75 Wh at 10 W
  EXPECT_EQ(status.BatteryFullLifeTime, 39600u);
  EXPECT_EQ(status.BatteryVoltage, 11500u);
  EXPECT_EQ(status.BatteryTemperature, 355u);
  EXPECT_EQ(status.BatteryChemistry, BATTERY_CHEMISTRY_LION);
  second.status = SupplyStatus::Charging;
  EXPECT_EQ(Map({first, second}).BatteryFlag, BATTERY_FLAG_CHARGING);

  // The pack a host tells a battery's coming or going by: the count, the full capacity in energy.
  EXPECT_EQ(Pack({first, second}), (BatteryPack{2, 110'000'000}));
  EXPECT_EQ(Pack({first}), (BatteryPack{1, 60'000'000}));

  // Energy beside charge cannot be summed: the batteries' own percents are averaged.
  PowerSupplyReading chargeOnly = Battery(SupplyStatus::Discharging, 40);
  chargeOnly.chargeNow = 2'000'000;
  chargeOnly.chargeFull = 5'000'000;
  first.capacity = 60;
  EXPECT_EQ(Map({first, chargeOnly}).BatteryLifePercent, 50);
  EXPECT_EQ(Pack({chargeOnly}), (BatteryPack{1, 5'000'000}));
  EXPECT_EQ(Pack({first, chargeOnly}), (BatteryPack{2, 0}));
}

TEST(PowerSupplyWords, MatchedWithoutRegardToCase) {
  EXPECT_EQ(ParseSupplyStatus("not CHARGING"), SupplyStatus::NotCharging);
  EXPECT_EQ(ParseSupplyStatus("Charging "), SupplyStatus::Unknown);  // trimming is the reader's
  EXPECT_EQ(ParseSupplyType("USB_C"), SupplyType::Usb);
  EXPECT_EQ(ParseSupplyType("UPS"), SupplyType::Other);
  EXPECT_EQ(ParseSupplyScope("device"), SupplyScope::Device);
  EXPECT_EQ(ParseBatteryTechnology("NIMH"), BatteryTechnology::NickelMetalHydride);
  EXPECT_EQ(ParseBatteryTechnology("LiFe"), BatteryTechnology::Unknown);
}
