// The built zelvar-home run as a user runs it, in a home folder of its own, and its command line.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <regex>

#include "host/options.h"
#include "tests/fakes/temp_folder.h"

namespace {

struct ProgramRun {
  int exitCode;
  std::string out;
  std::string err;
};

class HostProgramTest : public testing::Test {
 protected:
  // Runs zelvar-home with the arguments, with HOME and the XDG folders inside the test's folder.
  ProgramRun RunHost(const std::string& arguments) const {
    const std::string home = folder_.path().string();
    const std::string command = "env -u ZELVAR_REGISTRY -u ZELVAR_DEVICE_ROOT -u XDG_CONFIG_HOME -u XDG_STATE_HOME HOME='" +
                                home + "' XDG_DATA_HOME='" + home + "/data' '" + ZELVAR_HOME_FILE + "' " + arguments +
                                " </dev/null 2>'" + home + "/stderr'";
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, folder_.Read("stderr")};
  }

  TempFolder folder_;
};

TEST_F(HostProgramTest, OnceOnASimulatedBatteryPrintsTheStatusLineAndKeepsItsFiles) {
  const ProgramRun run = RunHost("--once --simulate");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::regex_match(run.out, std::regex(R"(\d+%, hrs: [0-9.]+/-\?-\n)"))) << run.out;
  EXPECT_NE(run.err.find("wrote the default home-screen file " + folder_.path().string() + "/.config/zelvar/home.xml"),
            std::string::npos);
  EXPECT_EQ(folder_.Read("data/zelvar/device/Storage/My Documents/ZelvarPlugin.dat").substr(0, 12), "[version 1]\n");
  EXPECT_EQ(folder_.Read(".local/state/zelvar/plugin.stream").size(), 32u + 2 * 38);
  EXPECT_TRUE(folder_.Exists(".local/state/zelvar/registry"));

  // Standard input not being a terminal, a second run prints the line the same way.
  const ProgramRun again = RunHost("--simulate=3600 --device-root '" + folder_.path().string() + "/device'");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_TRUE(std::regex_search(again.out, std::regex(R"(^\d+%, hrs: )"))) << again.out;
  EXPECT_TRUE(folder_.Exists("device/Storage/My Documents/ZelvarPlugin.dat"));
}

TEST_F(HostProgramTest, FailuresAreReportedWithoutAStatusLine) {
  folder_.Write("broken.xml", "<home>\n<plugin clsid=\"x\">\n</home>\n");
  const ProgramRun broken = RunHost("--once --simulate --home '" + folder_.path().string() + "/broken.xml'");
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_EQ(broken.out, "");
  EXPECT_NE(broken.err.find("broken.xml:3: "), std::string::npos) << broken.err;

  const ProgramRun missing = RunHost("--once --simulate --module '" + folder_.path().string() + "/none.so'");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("none.so does not exist"), std::string::npos) << missing.err;

  EXPECT_EQ(RunHost("--bogus").exitCode, 2);
}

std::optional<HostOptions> Parse(std::vector<const char*> args, std::string& error) {
  args.insert(args.begin(), "zelvar-home");
  return ParseOptions(static_cast<int>(args.size()), args.data(), error);
}

TEST(HostOptionsTest, ValuesComeAttachedOrSeparate) {
  std::string error;
  const auto options = Parse({"--home", "a.xml", "--module=m.so", "--simulate", "--sysfs=/s", "--device-root", "/d"}, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->homeScreenFile, "a.xml");
  EXPECT_EQ(options->moduleFile, "m.so");
  EXPECT_EQ(options->simulateSpeed, kDefaultSimulationSpeed);
  EXPECT_EQ(options->sysfsFolder, "/s");
  EXPECT_EQ(options->deviceRoot, "/d");
  EXPECT_FALSE(options->once);
  EXPECT_EQ(Parse({"--simulate=2.5", "--once"}, error)->simulateSpeed, 2.5);

  for (const char* wrong : {"--simulate=0", "--simulate=fast", "--simulate=", "--home", "--home=", "--homes=x", "-x"}) {
    EXPECT_FALSE(Parse({wrong}, error)) << wrong;
    EXPECT_FALSE(error.empty()) << wrong;
  }
}

}  // namespace
