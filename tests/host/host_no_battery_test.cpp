// A machine without a system battery: the built program shows the machine's reading and says why,
// a simulated battery only when asked for or, on the terminal screen, as a labelled demo.
#include <gtest/gtest.h>

#include <regex>

#include "tests/fakes/temp_folder.h"
#include "tests/host/host_program.h"

namespace {

// The simulated battery's line: a charge and hours on battery, never the mains text.
const std::regex kSimulatedLine(R"(\d+%, hrs: [0-9.]+/-\?-\n)");

class NoBatteryTest : public testing::Test {
 protected:
  NoBatteryTest() {
    folder_.Write("mains/AC/type", "Mains\n");
    folder_.Write("mains/AC/online", "1\n");
    for (const auto& [name, value] : {std::pair{"type", "Battery"}, {"scope", "Device"}, {"online", "1"},
                                      {"status", "Discharging"}, {"capacity", "55"}}) {
      folder_.Write(std::string("mouse/hidpp_battery_5/") + name, std::string(value) + "\n");
    }
  }

  ProgramRun Run(const std::string& sysfs, const std::string& more = "") const {
    return RunHostProgram(folder_.path(), "--once --sysfs '" + Path(sysfs) + "' " + more, folder_.path() / "stderr");
  }
  std::string Path(const std::string& relative) const { return (folder_.path() / relative).string(); }

  TempFolder folder_;
};

TEST_F(NoBatteryTest, OnceShowsTheMachinesReadingAndSaysWhy) {
  struct Case {
    const char* sysfs;
    const char* line;
    std::string reason;
  };
  const Case cases[] = {
      {"mains", R"(\?%, hrs: N/A \(online\)\n)", Path("mains") + " lists no system battery (only AC)"},
      {"mouse", R"(\?%, hrs: N/A \(online\)\n)", Path("mouse") + " lists no system battery (only hidpp_battery_5)"},
      {"mistyped", "Battery status unknown\n", "cannot read " + Path("mistyped") + ": No such file or directory"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = Run(c.sysfs);
    EXPECT_EQ(run.exitCode, 0) << c.sysfs << run.err;
    EXPECT_TRUE(std::regex_match(run.out, std::regex(c.line))) << c.sysfs << ": " << run.out;
    EXPECT_NE(run.err.find("zelvar-home: no system battery: " + c.reason + "; the line shows the machine's reading"),
              std::string::npos)
        << run.err;
  }
}

TEST_F(NoBatteryTest, SimulateAsksForTheSimulatedBatteryWithoutANotice) {
  for (const char* sysfs : {"mains", "mistyped"}) {
    const ProgramRun run = Run(sysfs, "--simulate");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_match(run.out, kSimulatedLine)) << sysfs << ": " << run.out;
    EXPECT_EQ(run.err.find("no system battery"), std::string::npos) << run.err;
  }
}

TEST_F(NoBatteryTest, TheTerminalScreenShowsALabelledDemo) {
  HostOnTerminal host(folder_.path(), "--sysfs '" + Path("mains") + "'", folder_.path() / "stderr");
  EXPECT_TRUE(host.WaitForScreen("DEMO: simulated battery")) << host.screen();
  EXPECT_TRUE(host.WaitForScreen("hrs: 0.0/-?-")) << host.screen();
  EXPECT_EQ(host.Quit(), 0);
  // The demo's made-up drops stay out of the real battery's files.
  EXPECT_FALSE(folder_.Exists("data/zelvar/device"));
  EXPECT_FALSE(folder_.Exists(".local/state/zelvar/plugin.stream"));
  EXPECT_NE(folder_.Read("stderr").find("zelvar-home: no system battery: " + Path("mains") +
                                        " lists no system battery (only AC); the screen shows a simulated battery "
                                        "as a demo"),
            std::string::npos)
      << folder_.Read("stderr");
}

}  // namespace
