// The simulation's command-line options and its saved state.
#include <gtest/gtest.h>

#include "host/hosting/host_error.h"
#include "host/program/options.h"
#include "host/front/simulation/simulation_state.h"
#include "tests/fakes/temp_folder.h"

namespace {

Outcome<HostOptions> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zelvar-home");
  return ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(SimulationOptionsTest, ZonesAreSignedHoursAndMinutesWithinFourteenHours) {
  struct Case {
    const char* text;
    std::optional<int> minutes;
  };
  for (const Case& c : {Case{"+07:00", 420}, Case{"-03:30", -210}, Case{"+05", 300}, Case{"UTC", 0},
                        Case{"Z", 0}, Case{"+14:00", 840}, Case{"-14:00", -840}, Case{"+14:01", {}},
                        Case{"+7:00", {}}, Case{"07:00", {}}, Case{"+07:60", {}}, Case{"+07:0", {}},
                        Case{"+07:", {}}, Case{"+", {}}, Case{"", {}}, Case{"+0a:00", {}}}) {
    EXPECT_EQ(ParseZone(c.text), c.minutes) << c.text;
  }
}

TEST(SimulationOptionsTest, BatteryDayValuesAreTakenWithinTheirRanges) {
  const auto options = Parse({"--drain=3", "--charge-rate", "1000", "--night=21-6", "--plug-below",
                              "99", "--days", "100000", "--zone=-03:30"});
  ASSERT_TRUE(options.ok()) << options.problem();
  const SimulationOptions& simulation = options.value().simulation;
  for (const double rate : simulation.drain) EXPECT_EQ(rate, 3.0);
  EXPECT_EQ(simulation.chargeRate, 1000.0);
  EXPECT_EQ(simulation.habit.plugInHour, 21);
  EXPECT_EQ(simulation.habit.unplugHour, 6);
  EXPECT_EQ(simulation.habit.plugBelowPercent, 99.0);
  EXPECT_EQ(simulation.days, 100000);
  EXPECT_EQ(simulation.zoneMinutes, -210);
  // A full-speed run is a simulation.
  EXPECT_TRUE(options.value().simulateSpeed);

  const auto hours =
      Parse({"--drain", "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,100"});
  ASSERT_TRUE(hours.ok()) << hours.problem();
  EXPECT_EQ(hours.value().simulation.drain[0], 0.0);
  EXPECT_EQ(hours.value().simulation.drain[22], 22.0);
  EXPECT_EQ(hours.value().simulation.drain[23], 100.0);
  EXPECT_FALSE(hours.value().simulateSpeed);

  const auto defaults = Parse({"--simulate"});
  EXPECT_EQ(defaults.value().simulation.drain, SimulatedBattery::DefaultDrainProfile());
  EXPECT_FALSE(defaults.value().simulation.fullSpeed());
  EXPECT_TRUE(Parse({"--trace", "t.csv"}).value().simulation.fullSpeed());
  EXPECT_EQ(
      Parse({"--trace", "t.csv", "--asleep-after=100000"}).value().simulation.asleepAfterMinutes,
      100000);
}

TEST(SimulationOptionsTest, ValuesOutOfRangeAreRefused) {
  const std::string hours23 = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1";
  const std::string hours25 = hours23 + ",1,1";
  for (const std::string& wrong : {std::string("--days=0"),
                                   std::string("--days=100001"),
                                   std::string("--days=2x"),
                                   std::string("--days=-1"),
                                   "--drain=" + hours23,
                                   "--drain=" + hours25,
                                   std::string("--drain=-1"),
                                   std::string("--drain=100.5"),
                                   std::string("--drain=1,,1"),
                                   std::string("--drain=nan"),
                                   std::string("--charge-rate=0"),
                                   std::string("--charge-rate=1000.1"),
                                   std::string("--night=24-7"),
                                   std::string("--night=23"),
                                   std::string("--night=23-"),
                                   std::string("--plug-below=100"),
                                   std::string("--plug-below=-1"),
                                   std::string("--zone=+25:00"),
                                   std::string("--trace="),
                                   std::string("--asleep-after=0"),
                                   std::string("--asleep-after=100001")}) {
    const Outcome<HostOptions> refused = Parse({wrong.c_str()});
    EXPECT_FALSE(refused.ok()) << wrong;
    EXPECT_NE(refused.problem().find(wrong.substr(0, wrong.find('='))), std::string::npos)
        << refused.problem();
  }
  EXPECT_EQ(Parse({"--days=2", "--trace=t.csv"}).problem(),
            "--days and --trace do not go together");
  EXPECT_EQ(Parse({"--asleep-after=30"}).problem(), "--asleep-after needs --trace");
  EXPECT_EQ(Parse({"--print-warnings", "--simulate"}).problem(),
            "--print-warnings needs --days or --trace");
}

TEST(SimulationStateTest, SavedStateComesBackExactly) {
  TempFolder folder;
  const auto file = folder.path() / "sim" / "simulation";
  EXPECT_EQ(ReadSimulationState(file), std::nullopt);
  const SimulationState state{134'000'000'123'456'789ULL, -210, 63.123456789012345};
  WriteSimulationState(file, state);
  EXPECT_EQ(ReadSimulationState(file), state);
  WriteSimulationState(file, SimulationState{1, 840, 100.0});
  EXPECT_EQ(ReadSimulationState(file), (SimulationState{1, 840, 100.0}));
  // No temporary left beside it.
  const std::filesystem::directory_iterator entries(folder.path() / "sim");
  EXPECT_EQ(std::distance(begin(entries), end(entries)), 1);
}

TEST(SimulationStateTest, DamagedStateNamesTheFile) {
  TempFolder folder;
  const std::string good = "zelvar simulation 1\nutc 5\nzone-minutes 60\npercent 50\n";
  for (const std::string& damaged :
       {std::string(""), std::string("zelvar simulation 2\nutc 5\nzone-minutes 60\npercent 50\n"),
        std::string("zelvar simulation 1\nutc 5\nzone-minutes 60\n"),
        std::string("zelvar simulation 1\nutc 5\nzone-minutes 900\npercent 50\n"),
        std::string("zelvar simulation 1\nutc 5\nzone-minutes 60\npercent 100.5\n"),
        std::string("zelvar simulation 1\nutc 5\nzone-minutes 60\npercent nan\n"),
        std::string("zelvar simulation 1\ntime 5\nzone-minutes 60\npercent 50\n")}) {
    folder.Write("simulation", damaged);
    try {
      ReadSimulationState(folder.path() / "simulation");
      ADD_FAILURE() << damaged;
    } catch (const HostError& error) {
      EXPECT_NE(
          std::string(error.what()).find((folder.path() / "simulation").string() + " is damaged"),
          std::string::npos);
    }
  }
  folder.Write("simulation", good);
  EXPECT_EQ(ReadSimulationState(folder.path() / "simulation"), (SimulationState{5, 60, 50.0}));
}

}  // namespace
