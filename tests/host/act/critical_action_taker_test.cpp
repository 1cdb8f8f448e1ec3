// The taking of the critical action, against a stand-in logind on a private system bus (never the
// machine's own) and a real shell.
#include "host/act/critical_action_taker.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "tests/fakes/logind_stand_in.h"
#include "tests/fakes/session_bus.h"
#include "tests/fakes/temp_folder.h"

namespace {

using Kind = CriticalAction::Kind;

// No test may reach the machine's own system bus: each starts with a system bus that is not there.
class CriticalActionTakerTest : public testing::Test {
 protected:
  void SetUp() override {
    const std::string none = "unix:path=" + (folder_.path() / "no-bus").string();
    setenv("DBUS_SYSTEM_BUS_ADDRESS", none.c_str(), 1);
  }
  TempFolder folder_;
};

TEST_F(CriticalActionTakerTest, AsksLogindFirstAndTakesOnlyWhatItAnswers) {
  // The stand-in refuses what it answers it cannot do, as logind does, in words of its own.
  const struct {
    Kind kind;
    std::string method;
    std::string answer;
    std::optional<std::string> checked;
    std::optional<std::string> taken;
  } cases[] = {
      {Kind::Hibernate, "Hibernate", "yes", std::nullopt, std::nullopt},
      {Kind::HybridSleep, "HybridSleep", "yes", std::nullopt, std::nullopt},
      {Kind::Suspend, "Suspend", "yes", std::nullopt, std::nullopt},
      {Kind::PowerOff, "PowerOff", "yes", std::nullopt, std::nullopt},
      {Kind::Hibernate, "Hibernate", "na", "the system cannot hibernate (logind answers \"na\")",
       "logind failed: Hibernate refused: CanHibernate answers na"},
      {Kind::HybridSleep, "HybridSleep", "no",
       "the system cannot go into hybrid sleep (logind answers \"no\")",
       "logind failed: HybridSleep refused: CanHybridSleep answers no"},
      // A password would be asked, which a service cannot answer.
      {Kind::Suspend, "Suspend", "challenge",
       "the system cannot suspend (logind answers \"challenge\")",
       "logind failed: Suspend refused: CanSuspend answers challenge"},
      {Kind::PowerOff, "PowerOff", "\x1b[2J",
       "the system cannot power off (logind answers \"\uFFFD[2J\")",
       "logind failed: PowerOff refused: CanPowerOff answers \uFFFD[2J"},
  };
  for (const auto& c : cases) {
    const PrivateSystemBus bus;
    const StandInLogind logind(bus.address(), {{"Can" + c.method, c.answer}});
    CriticalActionTaker taker({c.kind, ""});
    EXPECT_EQ(taker.Check(), c.checked) << c.method;
    EXPECT_EQ(taker.Take(), c.taken) << c.method;
    EXPECT_EQ(logind.calls(),
              (std::vector<std::string>{"Can" + c.method, c.method + " interactive=false"}));
  }
}

TEST_F(CriticalActionTakerTest, SaysWhenThereIsNoLogindOrNoBus) {
  CriticalActionTaker taker({Kind::Hibernate, ""});
  EXPECT_EQ(taker.Check(), "no system bus: No such file or directory");
  EXPECT_EQ(taker.Take(), "no system bus: No such file or directory");
  const PrivateSystemBus bus;
  EXPECT_EQ(taker.Check(), "the system bus has no logind (org.freedesktop.login1)");
  EXPECT_EQ(taker.Take(), "the system bus has no logind (org.freedesktop.login1)");
}

TEST_F(CriticalActionTakerTest, GivesUpOnABusThatNeverAnswersWithinSecondsNotMinutes) {
  const SilentBus bus("DBUS_SYSTEM_BUS_ADDRESS");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(CriticalActionTaker({Kind::Suspend, ""}).Check(), "logind did not answer in time");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// This process's children, as the kernel lists them.
std::set<std::string> Children() {
  std::set<std::string> children;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
    std::ifstream listed(task.path() / "children");
    for (std::string child; listed >> child;) children.insert(child);
  }
  return children;
}

TEST_F(CriticalActionTakerTest, RunsACommandLetGoWithNothingOfThisProgramButStandardError) {
  // What the command may not inherit: this program's standard input and output, descriptors below
  // and above those it is started with, an ignored signal.
  const int zero = open("/dev/zero", O_RDONLY);
  const int high = dup2(zero, 200);
  const int input = dup(STDIN_FILENO), output = dup(STDOUT_FILENO);
  dup2(zero, STDIN_FILENO);
  dup2(zero, STDOUT_FILENO);
  const auto previousPipe = signal(SIGPIPE, SIG_IGN);
  const std::set<std::string> childrenBefore = Children();
  const std::filesystem::path out = folder_.path() / "out";
  // Read by the shell itself where a child it forks might catch it blocking signals for the fork.
  CriticalActionTaker taker(
      {Kind::Command,
       "i=$(readlink /proc/$$/fd/0); o=$(readlink /proc/$$/fd/1); { cut -d' ' -f4,6 /proc/$$/stat;"
       " echo \"$i $o\"; while read -r l; do case $l in SigIgn*) echo \"$l\";; esac;"
       " done </proc/$$/status; for f in " +
           std::to_string(zero) + " " + std::to_string(high) +
           "; do [ -e /proc/$$/fd/$f ] && echo leaked $f; done; } >" + out.string() + ".part; mv " +
           out.string() + ".part " + out.string()});
  const std::optional<std::string> checked = taker.Check(), taken = taker.Take();
  signal(SIGPIPE, previousPipe);
  dup2(input, STDIN_FILENO);
  dup2(output, STDOUT_FILENO);
  for (const int descriptor : {input, output, zero, high}) close(descriptor);
  EXPECT_EQ(checked, std::nullopt);
  EXPECT_EQ(taken, std::nullopt);

  for (int i = 0; i < 400 && !std::filesystem::exists(out); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::ifstream written(out);
  pid_t parent = 0, session = 0;
  std::string inputFile, outputFile, ignored, rest;
  written >> parent >> session >> inputFile >> outputFile >> ignored >> ignored;
  EXPECT_NE(parent, getpid());
  EXPECT_NE(session, getsid(0));
  EXPECT_EQ(inputFile, "/dev/null");
  EXPECT_EQ(outputFile, std::filesystem::read_symlink("/proc/self/fd/2").string());
  EXPECT_EQ(ignored, "0000000000000000");
  EXPECT_FALSE(written >> rest) << rest;  // no descriptor leaked
  // No zombie of the child that started it, nor the command itself, is left to this process.
  EXPECT_EQ(Children(), childrenBefore);
}

TEST_F(CriticalActionTakerTest, SaysWhenTheShellCannotRun) {
  CriticalActionTaker taker({Kind::Command, "true"}, (folder_.path() / "sh").string());
  const std::string problem = "cannot run " + (folder_.path() / "sh").string() + ": ";
  EXPECT_EQ(taker.Check(), problem + "No such file or directory");
  EXPECT_EQ(taker.Take(), problem + "No such file or directory");
  folder_.Write("sh", "not a program");
  EXPECT_EQ(taker.Check(), problem + "Permission denied");
  EXPECT_EQ(taker.Take(), problem + "Permission denied");
}

}  // namespace
