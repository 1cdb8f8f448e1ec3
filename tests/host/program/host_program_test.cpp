// The built zelvar-home run as a user runs it, in a home folder of its own, and its command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <utility>

#include "host/program/chosen_bar_format.h"
#include "host/program/chosen_critical_action.h"
#include "host/program/chosen_notify_full.h"
#include "host/program/chosen_thresholds.h"
#include "host/program/options.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/host_program.h"

namespace {

class HostProgramTest : public testing::Test {
 protected:
  ProgramRun RunHost(const std::string& arguments) const {
    return RunHostProgram(folder_.path(), arguments, folder_.path() / "stderr");
  }

  TempFolder folder_;
};

TEST_F(HostProgramTest, OnceOnASimulatedBatteryOnlyReadsAndSimulationsKeepTheirFilesApart) {
  const ProgramRun run = RunHost("--once --simulate");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(
      std::regex_match(run.out, std::regex(R"(\d+%, hrs: ([0-9.]+/-\?-|N/A \(online\))\n)")))
      << run.out;
  const std::string simulation = ".local/state/zelvar/simulation/";
  EXPECT_NE(run.err.find("wrote the default home-screen file " + folder_.path().string() + "/" +
                         simulation + "home.xml"),
            std::string::npos)
      << run.err;
  // --once only reads the plug-in's files.
  EXPECT_FALSE(folder_.Exists(simulation + "device"));
  EXPECT_FALSE(folder_.Exists(simulation + "plugin.stream"));
  EXPECT_TRUE(folder_.Exists(".local/state/zelvar/registry"));
  // The real battery's files are not touched.
  EXPECT_FALSE(folder_.Exists(".config/zelvar/home.xml"));
  EXPECT_FALSE(folder_.Exists("data/zelvar"));
  EXPECT_FALSE(folder_.Exists(".local/state/zelvar/plugin.stream"));

  // Standard input not being a terminal, a second run prints the line the same way.
  const ProgramRun again =
      RunHost("--simulate=3600 --device-root '" + folder_.path().string() + "/device'");
  ASSERT_EQ(again.exitCode, 0) << again.err;
  EXPECT_TRUE(std::regex_search(again.out, std::regex(R"(^\d+%, hrs: )"))) << again.out;
  EXPECT_FALSE(folder_.Exists("device"));

  // A full-speed simulation keeps its files, apart from the real battery's.
  ASSERT_EQ(RunHost("--days 1").exitCode, 0);
  EXPECT_EQ(folder_.Read(simulation + "device/Storage/My Documents/ZelvarPlugin.dat").substr(0, 12),
            "[version 1]\n");
  EXPECT_EQ(folder_.Read(simulation + "plugin.stream").size(), 32u + 2 * 38);
  EXPECT_EQ(folder_.Read(simulation + "simulation").substr(0, 20), "zelvar simulation 1\n");
  EXPECT_FALSE(folder_.Exists("data/zelvar"));
  EXPECT_FALSE(folder_.Exists(".local/state/zelvar/plugin.stream"));
}

// The real battery's files: only the home screen on the terminal keeps them.
TEST_F(HostProgramTest, OnceOnlyReadsAndTheTerminalScreenKeepsThePluginsFiles) {
  for (const auto& [name, value] :
       {std::pair{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "60"}}) {
    folder_.Write(std::string("sysfs/BAT0/") + name, std::string(value) + "\n");
  }
  const std::string sysfs = "--sysfs '" + (folder_.path() / "sysfs").string() + "'";
  const std::string statFile = "data/zelvar/device/Storage/My Documents/ZelvarPlugin.dat";
  const ProgramRun run = RunHost("--once " + sysfs);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "60%, hrs: 0.0/-?-\n");
  EXPECT_FALSE(folder_.Exists(statFile));
  EXPECT_FALSE(folder_.Exists(".local/state/zelvar/plugin.stream"));

  HostOnTerminal host(folder_.path(), sysfs, folder_.path() / "stderr");
  EXPECT_TRUE(host.WaitForScreen("60%, hrs: ")) << host.screen();
  EXPECT_EQ(host.Quit(), 0) << folder_.Read("stderr");
  EXPECT_EQ(folder_.Read(statFile).substr(0, 12), "[version 1]\n");
  EXPECT_EQ(folder_.Read(".local/state/zelvar/plugin.stream").size(), 32u + 2 * 38);
  // The folders it made are the user's alone.
  for (const char* made : {".config/zelvar", ".local/state/zelvar", "data/zelvar/device/Storage"}) {
    EXPECT_EQ(std::filesystem::status(folder_.path() / made).permissions(),
              std::filesystem::perms::owner_all)
        << made;
  }
}

TEST_F(HostProgramTest, FailuresAreReportedWithoutAStatusLine) {
  folder_.Write("broken.xml", "<home>\n<plugin clsid=\"x\">\n</home>\n");
  const ProgramRun broken =
      RunHost("--once --simulate --home '" + folder_.path().string() + "/broken.xml'");
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_EQ(broken.out, "");
  EXPECT_NE(broken.err.find("broken.xml:3: "), std::string::npos) << broken.err;

  const ProgramRun missing =
      RunHost("--once --simulate --module '" + folder_.path().string() + "/none.so'");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("none.so does not exist"), std::string::npos) << missing.err;

  EXPECT_EQ(RunHost("--bogus").exitCode, 2);
}

TEST_F(HostProgramTest, ARegisteredModuleThatNoLongerExistsIsReplacedByTheOneBesideTheProgram) {
  // A module registered from a build folder that was removed since.
  const std::filesystem::path oldBuild = folder_.path() / "old-build";
  std::filesystem::create_directories(oldBuild);
  std::filesystem::copy_file(ZELVARPLUG_FILE, oldBuild / "zelvarplug.so");
  const std::filesystem::path removed = std::filesystem::canonical(oldBuild / "zelvarplug.so");
  ASSERT_EQ(RunHost("--once --simulate --module '" + removed.string() + "'").exitCode, 0);
  std::filesystem::remove_all(oldBuild);

  const ProgramRun run = RunHost("--once --simulate --night 3-3");  // off the charger at any hour
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(std::regex_match(run.out, std::regex(R"(\d+%, hrs: [0-9.]+/-\?-\n)"))) << run.out;
  EXPECT_EQ(run.err, "zelvar-home: the registered module " + removed.string() +
                         " no longer exists; registered " +
                         std::filesystem::canonical(ZELVARPLUG_FILE).string() + " in its place\n");

  const ProgramRun again = RunHost("--once --simulate");
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_EQ(again.err, "");
}

// Output that did not go out fails the run with its cause, whichever command printed it. With its
// standard output closed, a keeping run's lock file must not take its place.
TEST_F(HostProgramTest, OutputThatCannotBeWrittenFailsTheRun) {
  const std::string full =
      "zelvar-home: cannot write to standard output: No space left on device\n";
  const std::string closed = "zelvar-home: cannot write to standard output: Bad file descriptor\n";
  const std::pair<const char*, const std::string&> cases[] = {
      {"--once --simulate >/dev/full", full},
      {"--once --simulate >&-", closed},
      {"--report --simulate >/dev/full", full},
      {"--stats >/dev/full", full},
      {"--days 1 >/dev/full", full},
      {"--days 1 >&-", closed},
      {"--register >/dev/full", full},
      {"--help >/dev/full", full},
  };
  for (const auto& [arguments, message] : cases) {
    const ProgramRun run = RunHost(arguments);
    EXPECT_EQ(run.exitCode, 1) << arguments << ": " << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << arguments << ": " << run.err;
  }
  EXPECT_EQ(folder_.Read(".local/state/zelvar/simulation/owner.lock").find("hrs:"),
            std::string::npos);
}

Outcome<HostOptions> Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "zelvar-home");
  return ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(HostOptionsTest, ValuesComeAttachedOrSeparate) {
  const auto options = Parse(
      {"--home", "a.xml", "--module=m.so", "--simulate", "--sysfs=/s", "--device-root", "/d"});
  ASSERT_TRUE(options.ok()) << options.problem();
  EXPECT_EQ(options.value().homeScreenFile, "a.xml");
  EXPECT_EQ(options.value().moduleFile, "m.so");
  EXPECT_EQ(options.value().simulateSpeed, kDefaultSimulationSpeed);
  EXPECT_EQ(options.value().sysfsFolder, "/s");
  EXPECT_EQ(options.value().deviceRoot, "/d");
  EXPECT_FALSE(options.value().once);
  EXPECT_EQ(Parse({"--simulate=2.5", "--once"}).value().simulateSpeed, 2.5);

  EXPECT_EQ(options.value().command, ProgramCommand::HomeScreen);
  EXPECT_EQ(Parse({"--report"}).value().command, ProgramCommand::Report);
  EXPECT_EQ(Parse({"--stats", "--stats"}).value().command, ProgramCommand::Stats);
  EXPECT_EQ(Parse({"--register", "--module", "m.so"}).value().command, ProgramCommand::Register);
  EXPECT_EQ(Parse({"--unregister"}).value().command, ProgramCommand::Unregister);

  for (const char* wrong : {"--simulate=0", "--simulate=fast", "--simulate=", "--home",
                            "--home=", "--homes=x", "-x", "--reports"}) {
    const Outcome<HostOptions> refused = Parse({wrong});
    EXPECT_FALSE(refused.ok()) << wrong;
    EXPECT_FALSE(refused.problem().empty()) << wrong;
  }
  EXPECT_FALSE(Parse({"--report", "--stats"}).ok());
  EXPECT_FALSE(Parse({"--unregister", "--register"}).ok());
}

// --format, else the home-screen file's Format, else the line; a Format that is no format is named.
TEST(HostOptionsTest, TheBarsFormatFromTheOptionTheHomeScreenFileOrTheLine) {
  const TempFolder folder;
  const std::filesystem::path home = folder.path() / "home.xml";
  EstimateView view;
  // The text the chosen format makes of a line, and the note it came with.
  const auto shown = [&](const HostOptions& options) {
    const Noted<BarTextFormat> format = ChosenBarFormat(options, home);
    return std::make_pair(format.value.Render("62%, hrs: 9.1 (3.5)", view, "low"), format.note);
  };
  EXPECT_EQ(shown(HostOptions{}).first, "62%, hrs: 9.1 (3.5)");
  folder.Write("home.xml", R"(<home Format="{percent}% {state}"/>)");
  EXPECT_EQ(shown(HostOptions{}).first, "62% low");
  const auto option = shown(Parse({"--bar", "--format={statistics}"}).value());
  EXPECT_EQ(option.first, "9.1");
  EXPECT_EQ(option.second, std::nullopt);
  folder.Write("home.xml", R"(<home Format="{percent"/>)");
  const auto refused = shown(HostOptions{});
  EXPECT_EQ(refused.first, "62%, hrs: 9.1 (3.5)");
  const std::string note = refused.second.value_or("");
  EXPECT_NE(note.find(R"(Format="{percent": a "{" without its "}")"), std::string::npos) << note;
}

// --critical-action and --critical-below, else the home-screen file's attributes, else no action at
// 3 %; a value there that is none is named, and what it chose is not taken.
TEST(HostOptionsTest, TheCriticalActionFromTheOptionsOrTheHomeScreenFile) {
  using Kind = CriticalAction::Kind;
  const TempFolder folder;
  const struct {
    std::vector<const char*> options;
    const char* home;
    std::optional<CriticalActionPlan> plan;
    const char* note;  // a part of it
  } rows[] = {
      {{}, "<home/>", std::nullopt, nullptr},
      {{}, R"(<home CriticalAction="" CriticalBelow="9"/>)", std::nullopt, nullptr},
      {{},
       R"(<home CriticalAction="hibernate"/>)",
       CriticalActionPlan{{Kind::Hibernate, ""}, 3},
       nullptr},
      {{},
       R"(<home CriticalAction="suspend" CriticalBelow="100"/>)",
       CriticalActionPlan{{Kind::Suspend, ""}, 100},
       nullptr},
      {{"--service", "--critical-action", "poweroff", "--critical-below=1"},
       R"(<home CriticalAction="suspend" CriticalBelow="9"/>)",
       CriticalActionPlan{{Kind::PowerOff, ""}, 1},
       nullptr},
      {{"--bar", "--critical-below", "9"},
       R"(<home CriticalAction="command:x"/>)",
       CriticalActionPlan{{Kind::Command, "x"}, 9},
       nullptr},
      {{},
       R"(<home CriticalAction="sleep"/>)",
       std::nullopt,
       R"(CriticalAction="sleep" is not hibernate, hybrid-sleep, suspend, poweroff or )"
       "command:COMMAND; no critical action is taken"},
      {{},
       R"(<home CriticalAction="hibernate" CriticalBelow="0"/>)",
       CriticalActionPlan{{Kind::Hibernate, ""}, 3},
       R"(CriticalBelow="0" is not a whole percent from 1 to 100; the critical action counts )"
       "down at 3 %"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.home);
    folder.Write("home.xml", row.home);
    const Outcome<HostOptions> options = Parse(row.options);
    ASSERT_TRUE(options.ok()) << options.problem();
    const Noted<std::optional<CriticalActionPlan>> chosen =
        ChosenCriticalAction(options.value(), folder.path() / "home.xml");
    EXPECT_EQ(chosen.value, row.plan);
    EXPECT_EQ(chosen.note.has_value(), row.note != nullptr) << chosen.note.value_or("");
    if (row.note) {
      EXPECT_NE(chosen.note.value_or("").find(row.note), std::string::npos);
    }
  }
  const std::pair<std::vector<const char*>, const char*> refused[] = {
      {{"--bar", "--critical-action", "nap"},
       "--critical-action needs hibernate, hybrid-sleep, suspend, poweroff or command:COMMAND"},
      {{"--bar", "--critical-below", "101"},
       "--critical-below needs a whole percent from 1 to 100"},
      {{"--service", "--critical-below=0"}, "--critical-below needs a whole percent from 1 to 100"},
      {{"--critical-action", "suspend"},
       "--critical-action and --critical-below need --bar or --service"},
      {{"--once", "--critical-below", "5"},
       "--critical-action and --critical-below need --bar or --service"},
  };
  for (const auto& [arguments, problem] : refused) EXPECT_EQ(Parse(arguments).problem(), problem);
}

// --notify-below-minutes, else the home-screen file's NotifyBelowMinutes, else none; a value that
// is no list of minutes is named.
TEST(HostOptionsTest, TheTimeLevelsFromTheOptionTheHomeScreenFileOrNone) {
  const TempFolder folder;
  const std::filesystem::path home = folder.path() / "home.xml";
  EXPECT_EQ(ChosenMinutes(HostOptions{}, home).value, NotifyMinutes{});
  folder.Write("home.xml", R"(<home NotifyBelowMinutes=""/>)");
  EXPECT_EQ(ChosenMinutes(HostOptions{}, home).note, std::nullopt);
  folder.Write("home.xml", R"(<home NotifyBelowMinutes="10,120"/>)");
  EXPECT_EQ(ChosenMinutes(HostOptions{}, home).value, (NotifyMinutes{120, 10}));
  EXPECT_EQ(ChosenMinutes(Parse({"--notify-below-minutes=20"}).value(), home).value,
            NotifyMinutes{20});
  folder.Write("home.xml", R"(<home NotifyBelowMinutes="30 min"/>)");
  const Noted<NotifyMinutes> refused = ChosenMinutes(HostOptions{}, home);
  EXPECT_EQ(refused.value, NotifyMinutes{});
  EXPECT_NE(refused.note.value_or("").find(
                R"(NotifyBelowMinutes="30 min" is not comma-separated minutes from 1 to 1440, )"
                "such as 30,10; no warnings come by the time left"),
            std::string::npos)
      << refused.note.value_or("");
  EXPECT_EQ(Parse({"--notify-below-minutes", "0"}).problem(),
            "--notify-below-minutes needs comma-separated minutes from 1 to 1440, such as 30,10");
}

// --notify-full, else NotifyFull="yes" or "no" of the home-screen file; another value is named.
TEST(HostOptionsTest, TheChargedNoticeFromTheOptionOrTheHomeScreenFile) {
  const TempFolder folder;
  const std::filesystem::path home = folder.path() / "home.xml";
  const struct {
    std::vector<const char*> options;
    const char* home;
    bool chosen;
    std::optional<std::string> note;
  } rows[] = {
      {{}, "<home/>", false, std::nullopt},
      {{}, R"(<home NotifyFull="no"/>)", false, std::nullopt},
      {{}, R"(<home NotifyFull="yes"/>)", true, std::nullopt},
      {{"--notify-full"}, R"(<home NotifyFull="no"/>)", true, std::nullopt},
      {{},
       R"(<home NotifyFull="on"/>)",
       false,
       "the home-screen file " + home.string() +
           R"(: NotifyFull="on" is not yes or no; no notification when charged)"},
  };
  for (const auto& row : rows) {
    folder.Write("home.xml", row.home);
    const Noted<bool> chosen = ChosenNotifyFull(Parse(row.options).value(), home);
    EXPECT_EQ(chosen.value, row.chosen) << row.home;
    EXPECT_EQ(chosen.note, row.note) << row.home;
  }
}

TEST(HostOptionsTest, JsonOnlyWithBarAndBarNotWithAOneOffRun) {
  const auto plain = Parse({"--bar"});
  ASSERT_TRUE(plain.ok()) << plain.problem();
  EXPECT_TRUE(plain.value().bar);
  EXPECT_FALSE(plain.value().json);
  const auto json = Parse({"--json", "--bar"});
  ASSERT_TRUE(json.ok()) << json.problem();
  EXPECT_TRUE(json.value().json);

  EXPECT_EQ(Parse({"--json"}).problem(), "--json needs --bar");
  const auto formatted = Parse({"--bar", "--format", "{percent}% {hours:hm}"});
  EXPECT_TRUE(formatted.ok()) << formatted.problem();
  EXPECT_EQ(Parse({"--format", "{line}"}).problem(), "--format needs --bar");
  EXPECT_EQ(Parse({"--bar", "--format", "{hours:hx}"}).problem().substr(0, 39),
            "--format: unknown placeholder {hours:hx");
  for (const std::vector<const char*>& wrong :
       {std::vector<const char*>{"--bar", "--once"},
        std::vector<const char*>{"--bar", "--simulate", "--days", "2"}}) {
    EXPECT_EQ(Parse(wrong).problem(), "--bar does not go with --once, --days or --trace");
  }
}

}  // namespace
