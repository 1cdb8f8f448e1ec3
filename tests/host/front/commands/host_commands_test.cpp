// The commands around the home screen, run through the built program: the report, the stat file's
// chart, registration; and where the plug-in's messages go with and without a screen.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>

#include "host/front/commands/stats_command.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/home_screen_text.h"
#include "tests/fakes/host_program.h"

namespace {

constexpr const char* kStatFile = "data/zelvar/device/Storage/My Documents/ZelvarPlugin.dat";
constexpr const char* kStream = ".local/state/zelvar/plugin.stream";

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

std::tm LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

// "2024.3.9.": today's local date as a stat file record's head begins.
std::string TodayHead() {
  const std::tm local = LocalNow();
  return std::to_string(local.tm_year + 1900) + "." + std::to_string(local.tm_mon + 1) + "." +
         std::to_string(local.tm_mday) + ".";
}

class HostCommandsTest : public testing::Test {
 protected:
  HostCommandsTest() {
    for (const auto& [name, value] : {std::pair{"type", "Battery"},
                                      {"status", "Discharging"},
                                      {"capacity", "60"},
                                      {"technology", "Li-ion"}}) {
      folder_.Write(std::string("sysfs/BAT0/") + name, std::string(value) + "\n");
    }
  }
  // The real battery's options: a fixture battery, the home's own files.
  std::string Battery() const { return "--sysfs '" + Path("sysfs") + "'"; }

  ProgramRun Run(const std::string& arguments) const {
    return RunHostProgram(folder_.path(), arguments, folder_.path() / "stderr");
  }
  std::string Path(const std::string& relative) const {
    return (folder_.path() / relative).string();
  }

  TempFolder folder_;
};

TEST_F(HostCommandsTest, ReportPrintsThePluginsReportAndWritesNothing) {
  const ProgramRun run = Run("--report " + Battery());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, 19), "Zelvar plugin v0.1\n");
  EXPECT_NE(run.out.find("\nBatteryLifePercent: 60%\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nBatteryChemistry: Lithium-Ion\n"), std::string::npos) << run.out;
  EXPECT_FALSE(folder_.Exists(kStatFile));
  EXPECT_FALSE(folder_.Exists(kStream));
}

TEST_F(HostCommandsTest, StatsChartsTheRecordsWithinTheHistoryWindow) {
  folder_.Write(kStatFile,
                "[version 1]\n" + TodayHead() + "0:1,2,4\n" + TodayHead() + "0:3\n2001.1.1.5:9\n");
  const int hourBefore = LocalNow().tm_hour;
  const ProgramRun run = Run("--stats");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find(Path(kStatFile) + "\n3 records; 4 hourly samples within the last 30 days: "
                                           "drain measured for 3 of 24 hours, "
                                           "only zero drops for 0, never sampled 21\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n 00     2.0        2  " + Repeat("\u2588", 20) + "\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n 02     4.0        1  " + Repeat("\u2588", 40) + "\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n 05       -        0\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("A day at these averages: 8.0 percentage points"), std::string::npos)
      << run.out;
  // Above the table the day's drain: hours 0 and 1 at 2.0, 2 at 4.0, the rest never sampled; the
  // hour now (read before the run) in brackets.
  const char* now = hourBefore < 2 ? "[\u2585]" : hourBefore == 2 ? "[\u2588]" : "[\u00B7]";
  EXPECT_LT(run.out.find(now), run.out.find("hour  drain")) << run.out;

  folder_.Write(".config/zelvar/home.xml", HomeScreenWith("MaxHistoryDays=\"0\""));
  const ProgramRun none = Run("--stats");
  EXPECT_NE(none.out.find(
                "3 records; 0 hourly samples within the last 0 days: drain measured for 0 of 24 "
                "hours, only zero drops for 0, never sampled 24\n"),
            std::string::npos)
      << none.out;
}

TEST_F(HostCommandsTest, StatsWithoutAStatFileSaySoAndCreateNone) {
  std::filesystem::create_directories(folder_.path() / "no-supply");
  const ProgramRun run = Run("--stats --sysfs '" + Path("no-supply") + "'");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("no system battery"), std::string::npos) << run.err;
  EXPECT_EQ(run.out, "No stat file yet at " + Path(kStatFile) +
                         ": the plug-in writes it once it has hourly samples\n");
  EXPECT_FALSE(folder_.Exists(kStatFile));
}

TEST(DrainChart, BarsAreScaledToTheLargestAverageInEighths) {
  HourlyDrainTable table;
  table.AddSample(3, 8, 50, false);
  table.AddSample(4, 1, 50, false);
  table.AddSample(4, 2, 50, false);
  table.AddSample(23, 0, 50, false);
  table.Recompute();
  const std::string chart = RenderDrainChart({"/x/stat.dat", 7, 30, 4}, table);
  EXPECT_EQ(chart.substr(0, chart.find("hour  drain")),
            "Average battery drain by hour of day, in percentage points\n/x/stat.dat\n"
            "7 records; 4 hourly samples within the last 30 days: drain measured for 2 of 24 "
            "hours, only zero "
            "drops for 1, never sampled 21\n\nDrain by hour from 0:00: " +
                Repeat("\u00B7", 3) + "\u2588[\u2582]" + Repeat("\u00B7", 18) +
                "\u2581\nHighest 8.0 points an hour at 03:00; now in brackets; \u00B7 never "
                "sampled\n\n");
  EXPECT_NE(chart.find("\n 03     8.0        1  " + Repeat("\u2588", 40) + "\n"), std::string::npos)
      << chart;
  // 1.5 of 8 is 7.5 cells: seven whole and a half.
  EXPECT_NE(chart.find("\n 04     1.5        2  " + Repeat("\u2588", 7) + "\u258C\n"),
            std::string::npos)
      << chart;
  EXPECT_NE(chart.find("\n 23     0.0        1  only zero drops\n"), std::string::npos) << chart;
  EXPECT_NE(chart.find("\n 22       -        0\n"), std::string::npos) << chart;
}

TEST_F(HostCommandsTest, WrongStatFileVersionNamesTheFileOnceOnStandardError) {
  folder_.Write(kStatFile, "2024.3.9.15:3\n");
  const std::string message = "zelvar-home: Version of Stat file is wrong: " + Path(kStatFile) +
                              " does not begin with \"[version 1]\", so its samples are not used\n";
  for (const std::string& command : {"--once " + Battery(), std::string("--stats")}) {
    const ProgramRun run = Run(command);
    EXPECT_EQ(run.exitCode, 0) << command;
    const size_t first = run.err.find(message);
    EXPECT_NE(first, std::string::npos) << command << ": " << run.err;
    EXPECT_EQ(run.err.find(message, first + 1), std::string::npos) << command << ": " << run.err;
  }
}

TEST_F(HostCommandsTest, OnTheScreenThePluginsMessagesAreDialogs) {
  folder_.Write(kStatFile, "2024.3.9.15:3\n");
  HostOnTerminal host(folder_.path(), Battery(), folder_.path() / "stderr");
  EXPECT_TRUE(host.WaitForScreen("Version of Stat file is wrong")) << host.screen();
  host.Type("\r");
  EXPECT_TRUE(host.WaitForScreen("hrs: ")) << host.screen();
  EXPECT_EQ(host.Quit(), 0);
  EXPECT_EQ(folder_.Read("stderr").find("Version of Stat file"), std::string::npos)
      << folder_.Read("stderr");
}

TEST_F(HostCommandsTest, RegisterAndUnregisterCallTheModule) {
  const ProgramRun registered = Run("--register");
  ASSERT_EQ(registered.exitCode, 0) << registered.err;
  EXPECT_EQ(registered.out.substr(0, 11), "registered ");
  const std::string registry = folder_.Read(".local/state/zelvar/registry");
  EXPECT_NE(registry.find("InprocServer32"), std::string::npos) << registry;

  const ProgramRun unregistered = Run("--unregister");
  EXPECT_EQ(unregistered.exitCode, 0) << unregistered.err;
  EXPECT_EQ(folder_.Read(".local/state/zelvar/registry").find("InprocServer32"), std::string::npos);

  const ProgramRun again = Run("--unregister");
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_EQ(again.err.rfind("zelvar-home: nothing was registered in HKEY_CLASSES_ROOT\\CLSID\\", 0),
            0u)
      << again.err;

  EXPECT_EQ(Run("--register --module '" + Path("none.so") + "'").exitCode, 1);
}

TEST_F(HostCommandsTest, ADamagedRegistryStopsEveryModeButRegisterWhichSetsItAside) {
  const std::string registry = ".local/state/zelvar/registry";
  const std::string damaged = "not a registry\n";
  folder_.Write(registry, damaged);
  const std::string named = "zelvar-home: registry file " + Path(registry) + " is damaged (";
  const ProgramRun once = Run("--once --simulate");
  EXPECT_EQ(once.exitCode, 1);
  EXPECT_EQ(once.err.rfind(named, 0), 0u) << once.err;
  EXPECT_NE(once.err.find("); zelvar-home --register sets it aside as " + Path(registry) +
                          ".bad and writes a fresh one\n"),
            std::string::npos)
      << once.err;

  const ProgramRun registered = Run("--register");
  EXPECT_EQ(registered.exitCode, 0) << registered.err;
  EXPECT_EQ(registered.err.rfind(named, 0), 0u) << registered.err;
  EXPECT_NE(registered.err.find("): set aside as " + Path(registry) +
                                ".bad; the registration writes a fresh one\n"),
            std::string::npos)
      << registered.err;
  EXPECT_EQ(folder_.Read(registry + ".bad"), damaged);
  EXPECT_NE(folder_.Read(registry).find("InprocServer32"), std::string::npos);
  EXPECT_EQ(Run("--once --simulate").exitCode, 0);
}

}  // namespace
