// A machine without a system battery: the built program shows the machine's reading and says why,
// a simulated battery only when asked for or, on the terminal screen, as a labelled demo.
#include <gtest/gtest.h>

#include <regex>

#include "tests/fakes/temp_folder.h"
#include "tests/fakes/host_program.h"

namespace {

// The simulated battery's line: a charge and hours on battery, never the mains text.
const std::regex kSimulatedLine(R"(\d+%, hrs: [0-9.]+/-\?-\n)");

class NoBatteryTest : public testing::Test {
 protected:
  NoBatteryTest() {
    folder_.Write("mains/AC/type", "Mains\n");
    folder_.Write("mains/AC/online", "1\n");
    for (const auto& [name, value] : {std::pair{"type", "Battery"},
                                      {"scope", "Device"},
                                      {"online", "1"},
                                      {"status", "Discharging"},
                                      {"capacity", "55"}}) {
      folder_.Write(std::string("mouse/hidpp_battery_5/") + name, std::string(value) + "\n");
    }
  }

  ProgramRun Run(const std::string& sysfs, const std::string& more = "") const {
    return RunHostProgram(folder_.path(), "--once --sysfs '" + Path(sysfs) + "' " + more,
                          folder_.path() / "stderr");
  }
  std::string Path(const std::string& relative) const {
    return (folder_.path() / relative).string();
  }

  TempFolder folder_;
};

TEST_F(NoBatteryTest, OnceShowsTheMachinesReadingAndSaysWhy) {
  struct Case {
    const char* sysfs;
    const char* line;
    std::string reason;
  };
  const Case cases[] = {
      {"mains", R"(\?%, hrs: N/A \(online\)\n)",
       Path("mains") + " lists no system battery (only AC)"},
      {"mouse", R"(\?%, hrs: N/A \(online\)\n)",
       Path("mouse") + " lists no system battery (only hidpp_battery_5)"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Run(c.sysfs);
    EXPECT_EQ(run.exitCode, 0) << c.sysfs << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(c.line))) << c.sysfs << ": " << run.out;
    EXPECT_NE(run.err.find("zelvar-home: no system battery: " + c.reason +
                           "; the line shows the machine's reading"),
              std::string::npos)
        << run.err;
  }
}

TEST_F(NoBatteryTest, SimulateAsksForTheSimulatedBatteryWithoutANotice) {
  for (const char* sysfs : {"mains", "mouse"}) {
    const ProgramRun run = Run(sysfs, "--simulate --night 3-3");  // off the charger at any hour
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, kSimulatedLine)) << sysfs << ": " << run.out;
    EXPECT_EQ(run.err.find("no system battery"), std::string::npos) << run.err;
  }
}

// A folder named on the command line that cannot be the power_supply folder is a usage error.
TEST_F(NoBatteryTest, AWrongSysfsFolderIsAUsageErrorNamingIt) {
  folder_.Write("file", "");
  folder_.Write("BAT1/uevent", "POWER_SUPPLY_NAME=BAT1\nPOWER_SUPPLY_TYPE=Battery\n");
  folder_.Write("other/uevent", "DRIVER=hid\n");
  const std::pair<const char*, std::string> cases[] = {
      {"mistyped", ": no such folder"},
      {"file", ": not a folder"},
      {"mains/AC",
       " is one power supply's folder; name the folder that holds the supplies: --sysfs " +
           Path("mains")},
      {"BAT1/", " is one power supply's folder; name the folder that holds the supplies: --sysfs " +
                    folder_.path().string()},
  };
  for (const auto& [sysfs, problem] : cases) {
    const ProgramRun run = Run(sysfs);
    EXPECT_EQ(run.exitCode, 2) << sysfs;
    EXPECT_EQ(run.out, "") << sysfs;
    EXPECT_EQ(run.err,
              "zelvar-home: --sysfs " + Path(sysfs) + problem + "\nTry 'zelvar-home --help'.\n");
  }
  EXPECT_EQ(Run("other").exitCode, 0) << folder_.Read("stderr");
}

TEST_F(NoBatteryTest, TheTerminalScreenShowsALabelledDemo) {
  HostOnTerminal host(folder_.path(), "--sysfs '" + Path("mains") + "'", folder_.path() / "stderr");
  EXPECT_TRUE(host.WaitForScreen("DEMO: simulated battery")) << host.screen();
  EXPECT_TRUE(host.WaitForScreen("hrs: 0.0/-?-")) << host.screen();
  EXPECT_EQ(host.Quit(), 0);
  // The demo's made-up drops stay out of the real battery's files.
  EXPECT_FALSE(folder_.Exists("data/zelvar/device"));
  EXPECT_FALSE(folder_.Exists(".local/state/zelvar/plugin.stream"));
  EXPECT_NE(folder_.Read("stderr").find(
                "zelvar-home: no system battery: " + Path("mains") +
                " lists no system battery (only AC); the screen shows a simulated battery "
                "as a demo"),
            std::string::npos)
      << folder_.Read("stderr");
}

}  // namespace
