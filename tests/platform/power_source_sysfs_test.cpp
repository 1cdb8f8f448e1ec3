#include "platform/power/power_source_sysfs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "platform/power/internal/power_supply_reader.h"
#include "platform/power/internal/sysfs_attribute.h"
#include "platform/power/internal/sysfs_supply_source.h"
#include "tests/fakes/temp_folder.h"

namespace {

using Attributes = std::map<std::string, std::string>;
using Tree = std::map<std::string, Attributes>;  // supply folder -> its attribute files

// Listings of real machines as sysfs has them (µWh, µAh, µA, µV), one file per attribute.
// ThinkPad X1 Extreme: energy only, "Not charging" at its charge threshold, no current_now.
const Attributes kThinkPad = {{"type", "Battery"},         {"status", "Not charging"},
                              {"energy_full", "69240000"}, {"energy_now", "65440000"},
                              {"power_now", "0"},          {"cycle_count", "326"}};
// Dell: charge only, current_now positive while discharging.
const Attributes kDell = {
    {"type", "Battery"},         {"status", "Discharging"},   {"present", "1"},
    {"technology", "Li-poly"},   {"voltage_now", "12600000"}, {"current_now", "756000"},
    {"charge_full", "4804000"},  {"charge_now", "4723000"},   {"capacity", "98"},
    {"capacity_level", "Normal"}};
// Wireless mouse: a battery with scope Device that claims to be online.
const Attributes kMouse = {{"type", "Battery"},
                           {"scope", "Device"},
                           {"online", "1"},
                           {"status", "Discharging"},
                           {"capacity_level", "Normal"}};
const Attributes kMainsOnline = {{"type", "Mains"}, {"online", "1"}};
const Attributes kMainsOffline = {{"type", "Mains"}, {"online", "0"}};
const Attributes kUsbOffline = {{"type", "USB"}, {"online", "0"}};
const Attributes kUsbOnline = {{"type", "USB"}, {"online", "1"}};

Attributes With(Attributes attributes, const Attributes& changes) {
  for (const auto& [name, value] : changes) attributes[name] = value;
  return attributes;
}

void Build(const TempFolder& root, const Tree& tree) {
  for (const auto& [supply, attributes] : tree) {
    for (const auto& [name, value] : attributes) root.Write(supply + "/" + name, value + "\n");
  }
}

SYSTEM_POWER_STATUS_EX2 ReadTree(const Tree& tree) {
  TempFolder root;
  Build(root, tree);
  SysfsPowerSource source(root.path());
  SYSTEM_POWER_STATUS_EX2 status{};
  EXPECT_TRUE(source.Read(status, true));
  return status;
}

}  // namespace

TEST(SysfsAttribute, TrimsTreatsEmptyAsAbsentAndParsesStrictly) {
  EXPECT_EQ(TrimAttribute("  Not charging \n"), "Not charging");
  EXPECT_EQ(TrimAttribute(""), std::nullopt);
  EXPECT_EQ(TrimAttribute(" \n"), std::nullopt);
  EXPECT_EQ(ParseStrictInteger("-1500000"), -1500000);
  for (const char* bad : {"98%", "0x10", "+5", "1e3", "12.5", "-", "9223372036854775808"}) {
    EXPECT_EQ(ParseStrictInteger(bad), std::nullopt) << bad;
  }
}

// Through real files: linked supply folders are followed and other entries skipped, only the
// attributes a folder holds are read, and a file longer than any reading, an empty one or a
// special one (a pipe, which must not block the reader) counts as absent.
TEST(SysfsSupplySource, ReadsTheAttributesEachSupplyFolderHolds) {
  TempFolder root;
  TempFolder elsewhere;
  Build(root,
        {{"BAT0", With(kDell, {{"capacity", std::string(61, ' ') + "7"}, {"current_now", ""}})}});
  Build(elsewhere, {{"BAT1", With(kDell, {{"capacity", std::string(62, ' ') + "7"}})}});
  std::filesystem::create_directory_symlink(elsewhere.path() / "BAT1", root.path() / "BAT1");
  root.Write("uevent", "POWER_SUPPLY_NAME=BAT2\n");
  std::filesystem::remove(root.path() / "BAT0" / "voltage_now");
  ASSERT_EQ(mkfifo((root.path() / "BAT0" / "voltage_now").c_str(), 0600), 0);

  SysfsSupplySource source(root.path());
  const auto supplies = ReadPowerSupplies(source);
  ASSERT_TRUE(supplies);
  ASSERT_EQ(supplies->size(), 2u);
  const PowerSupplyReading& first = (*supplies)[0];
  const PowerSupplyReading& second = (*supplies)[1];
  EXPECT_EQ(first.name, "BAT0");
  EXPECT_EQ(first.capacity, 7);  // 63 bytes with the line feed
  EXPECT_EQ(first.voltageNow, std::nullopt);
  EXPECT_EQ(first.currentNow, std::nullopt);
  EXPECT_EQ(first.chargeNow, 4723000);
  EXPECT_EQ(first.technology, BatteryTechnology::LithiumPolymer);
  EXPECT_EQ(first.scope, SupplyScope::Unknown);
  EXPECT_EQ(second.name, "BAT1");
  EXPECT_EQ(second.capacity, std::nullopt);  // 64 bytes
  EXPECT_EQ(second.voltageNow, 12600000);
  EXPECT_EQ(SysfsSupplySource(root.path() / "missing").ListSupplies(), std::nullopt);
}

TEST(SysfsPowerSource, FixtureTreesOfRealMachines) {
  const struct {
    const char* name;
    Tree tree;
    BYTE acLine;
    BYTE flag;
    BYTE percent;
    LONG current;
    DWORD lifeTime;
  } cases[] = {
      {"energy, not charging, adapter AC",
       {{"BAT0", kThinkPad}, {"AC", kMainsOnline}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_HIGH,
       95,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"negative current, charging, adapter ADP1",
       {{"BAT0", With(kDell, {{"current_now", "-1200000"}, {"status", "charging"}})},
        {"ADP1", kMainsOnline}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_CHARGING,
       98,
       1200,
       BATTERY_LIFE_UNKNOWN},
      {"empty current_now, status Unknown",
       {{"BAT0", With(kDell, {{"current_now", ""}, {"status", "Unknown"}})}},
       AC_LINE_UNKNOWN,
       BATTERY_FLAG_HIGH,
       98,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"ACAD and USB-C ports unplugged",
       {{"BAT1", With(kThinkPad, {{"status", "Discharging"}, {"power_now", "8000000"}})},
        {"ACAD", kMainsOffline},
        {"ucsi-source-psy-USBC000:001", kUsbOffline},
        {"ucsi-source-psy-USBC000:004", kUsbOffline}},
       AC_LINE_OFFLINE,
       BATTERY_FLAG_HIGH,
       95,
       0,
       29448},
      {"plugged through a USB-C port",
       {{"BAT1", With(kThinkPad, {{"status", "Charging"}})},
        {"ACAD", kMainsOffline},
        {"ucsi-source-psy-USBC000:001", kUsbOffline},
        {"ucsi-source-psy-USBC000:004", kUsbOnline}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_CHARGING,
       95,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"peripheral online beside a discharging battery",
       {{"hidpp_battery_5", kMouse}, {"BAT0", kDell}},
       AC_LINE_OFFLINE,
       BATTERY_FLAG_HIGH,
       98,
       -756,
       22490},
      {"two batteries",
       {{"BAT0", kThinkPad},
        {"BAT1", With(kThinkPad, {{"energy_full", "23000000"}, {"energy_now", "2300000"}})}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_HIGH,
       73,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"peripheral charger online beside a discharging battery",
       {{"BAT0", kDell}, {"hidpp_charger", With(kUsbOnline, {{"scope", "Device"}})}},
       AC_LINE_OFFLINE,
       BATTERY_FLAG_HIGH,
       98,
       -756,
       22490},
      {"half full, discharging",
       {{"BAT0", With(kDell, {{"charge_now", "2402000"}})}, {"AC", kMainsOffline}},
       AC_LINE_OFFLINE,
       BATTERY_FLAG_HIGH,
       50,
       -756,
       11438},
      {"status Unknown, no adapter, no current flowing",
       {{"BAT0", With(kDell, {{"current_now", "0"}, {"status", "Unknown"}})}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_HIGH,
       98,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"status Full, no adapter, current flowing",
       {{"BAT0", With(kDell, {{"status", "Full"}})}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_HIGH,
       98,
       756,
       BATTERY_LIFE_UNKNOWN},
      // A real listing: a laptop at 100 %, "Full", no adapter listed.
      {"status Full at 100 %, no adapter, current_now 413000",
       {{"BAT0", With(kDell, {{"status", "Full"},
                              {"capacity", "100"},
                              {"charge_now", "4804000"},
                              {"current_now", "413000"}})}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_HIGH,
       100,
       413,
       BATTERY_LIFE_UNKNOWN},
      {"capacity 150 beside a negative energy_now",
       {{"BAT0",
         With(kThinkPad, {{"capacity", "150"}, {"energy_now", "-1"}, {"status", "Discharging"}})}},
       AC_LINE_OFFLINE,
       BATTERY_FLAG_UNKNOWN,
       BATTERY_PERCENTAGE_UNKNOWN,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"absurd energy_now",
       {{"BAT0", With(kThinkPad, {{"energy_now", "9223372036854775807"}, {"capacity", "61"}})},
        {"AC", kMainsOnline}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_HIGH,
       61,
       0,
       BATTERY_LIFE_UNKNOWN},
      {"no battery at all",
       {{"hidpp_battery_5", kMouse}},
       AC_LINE_ONLINE,
       BATTERY_FLAG_NO_BATTERY,
       BATTERY_PERCENTAGE_UNKNOWN,
       0,
       BATTERY_LIFE_UNKNOWN},
  };
  for (const auto& c : cases) {
    const SYSTEM_POWER_STATUS_EX2 status = ReadTree(c.tree);
    EXPECT_EQ(status.ACLineStatus, c.acLine) << c.name;
    EXPECT_EQ(status.BatteryFlag, c.flag) << c.name;
    EXPECT_EQ(status.BatteryLifePercent, c.percent) << c.name;
    EXPECT_EQ(status.BatteryCurrent, c.current) << c.name;
    EXPECT_EQ(status.BatteryLifeTime, c.lifeTime) << c.name;
  }
}

// A battery held by its charge limit reads "Not charging" on external power: on mains, not
// charging, and the pack tells the limit; a full one without a limit says so. The threshold file
// is trusted only as a whole number 1..99 (100 is no limit) on every battery.
TEST(SysfsPowerSource, ChargeLimitOfRealMachinesWithAThresholdFile) {
  const auto limited = [](const Attributes& battery, const char* threshold) {
    return With(battery, {{"charge_control_end_threshold", threshold}});
  };
  const Attributes held80 = limited(With(kThinkPad, {{"energy_now", "55392000"}}), "80");
  const Attributes dellFull = With(kDell, {{"status", "Full"}, {"charge_now", "4804000"}});
  const struct {
    const char* name;
    Tree tree;
    BYTE flag;
    ChargeEnd end;
  } cases[] = {
      {"held at 95 between thresholds 90 and 95, as listed (no adapter)",
       {{"BAT0", With(limited(kThinkPad, "95"), {{"charge_control_start_threshold", "90"}})}},
       BATTERY_FLAG_HIGH,
       {95, false}},
      {"held at 80, plugged through ACAD",
       {{"BAT0", held80}, {"ACAD", kMainsOnline}, {"ucsi-source-psy-USBC000:001", kUsbOffline}},
       BATTERY_FLAG_HIGH,
       {80, false}},
      {"charging below its limit",
       {{"BAT0", limited(With(kThinkPad, {{"status", "Charging"}}), "99")}, {"AC", kMainsOnline}},
       BATTERY_FLAG_CHARGING,
       {99, false}},
      {"full without a limit",
       {{"BAT0", dellFull}, {"ADP1", kMainsOnline}},
       BATTERY_FLAG_HIGH,
       {std::nullopt, true}},
      {"full, threshold 100",
       {{"BAT0", limited(dellFull, "100")}, {"ADP1", kMainsOnline}},
       BATTERY_FLAG_HIGH,
       {std::nullopt, true}},
      {"two batteries: the higher limit holds the pack",
       {{"BAT0", held80}, {"BAT1", limited(kThinkPad, "60")}, {"AC", kMainsOnline}},
       BATTERY_FLAG_HIGH,
       {80, false}},
      {"two batteries, one without a limit",
       {{"BAT0", held80}, {"BAT1", kThinkPad}, {"AC", kMainsOnline}},
       BATTERY_FLAG_HIGH,
       {std::nullopt, false}},
      {"no battery", {{"hidpp_battery_5", kMouse}}, BATTERY_FLAG_NO_BATTERY, {std::nullopt, false}},
  };
  for (const auto& c : cases) {
    TempFolder root;
    Build(root, c.tree);
    SysfsPowerSource source(root.path());
    SYSTEM_POWER_STATUS_EX2 status{};
    ASSERT_TRUE(source.Read(status, true)) << c.name;
    EXPECT_EQ(status.ACLineStatus, AC_LINE_ONLINE) << c.name;
    EXPECT_EQ(status.BatteryFlag, c.flag) << c.name;
    EXPECT_EQ(source.LastChargeEnd(), c.end) << c.name;
  }
  const std::string longer = std::string(62, ' ') + "80";  // 64 bytes with the line feed
  for (const char* malformed : {"80%", "0", "101", "-80", "8O", "0x50", "", longer.c_str()}) {
    TempFolder root;
    Build(root, {{"BAT0", limited(kThinkPad, malformed)}});
    SysfsPowerSource source(root.path());
    SYSTEM_POWER_STATUS_EX2 status{};
    ASSERT_TRUE(source.Read(status, true));
    EXPECT_EQ(source.LastChargeEnd(), (ChargeEnd{std::nullopt, false})) << malformed;
  }
}

TEST(SysfsPowerSource, AnswersFromAReadingOfTheLastSecondUnlessAskedToUpdate) {
  TempFolder root;
  Build(root, {{"BAT0", kDell}});
  std::chrono::steady_clock::time_point now{};
  SysfsPowerSource source(root.path(), [&now] { return now; });
  SYSTEM_POWER_STATUS_EX2 status{};
  const auto percentRead = [&](bool update) {
    EXPECT_TRUE(source.Read(status, update));
    return status.BatteryLifePercent;
  };
  EXPECT_EQ(source.LastPack(), std::nullopt);
  EXPECT_EQ(percentRead(false), 98);
  EXPECT_EQ(source.LastPack(), (BatteryPack{1, 4804000}));
  root.Write("BAT0/charge_now", "2402000\n");
  now += std::chrono::milliseconds(999);
  EXPECT_EQ(percentRead(false), 98);
  EXPECT_EQ(percentRead(true), 50);
  root.Write("BAT0/charge_now", "4804000\n");
  now += std::chrono::milliseconds(999);
  EXPECT_EQ(percentRead(false), 50);
  now += std::chrono::milliseconds(1);
  EXPECT_EQ(percentRead(false), 100);
}

// The call hands its update flag to the source: FALSE may answer the last second's reading.
TEST(GetSystemPowerStatusEx2, UpdateFalseMayAnswerTheLastReading) {
  TempFolder root;
  Build(root, {{"BAT0", kDell}});
  std::chrono::steady_clock::time_point now{};
  SysfsPowerSource source(root.path(), [&now] { return now; });
  ScopedPowerSource installed(source);
  SYSTEM_POWER_STATUS_EX2 status{};
  const auto percentRead = [&](BOOL update) {
    EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof(status), update), sizeof(status));
    return status.BatteryLifePercent;
  };
  EXPECT_EQ(percentRead(TRUE), 98);
  root.Write("BAT0/charge_now", "2402000\n");
  EXPECT_EQ(percentRead(FALSE), 98);
  EXPECT_EQ(percentRead(TRUE), 50);
}

TEST(GetSystemPowerStatusEx2, FillsFromTheInstalledSourceOrFailsUntouched) {
  TempFolder root;
  Build(root, {{"BAT0", kDell}});
  SysfsPowerSource source(root.path());
  ScopedPowerSource installed(source);
  SYSTEM_POWER_STATUS_EX2 status{};
  EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof(status), FALSE), sizeof(status));
  EXPECT_EQ(status.BatteryLifePercent, 98);

  status.BatteryLifePercent = 42;
  EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof(status) - 1, FALSE), 0u);
  EXPECT_EQ(GetSystemPowerStatusEx2(nullptr, sizeof(status), FALSE), 0u);
  SysfsPowerSource withoutSysfs(root.path() / "missing");
  ScopedPowerSource installedWithout(withoutSysfs);
  EXPECT_EQ(GetSystemPowerStatusEx2(&status, sizeof(status), TRUE), 0u);
  EXPECT_EQ(status.BatteryLifePercent, 42);
}
