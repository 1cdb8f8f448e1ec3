// Two hosts on one home, through the built program: the first keeps the plug-in's files, the second
// runs as a viewer and writes none, so each hourly drop reaches the stat file once; read-only runs
// take no lock.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>

#include "host/hosting/host_error.h"
#include "host/front/bar/home_lock.h"
#include "platform/time/calendar.h"
#include "tests/fakes/filed_hours.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tests/fakes/host_program.h"

namespace {

constexpr const char* kSimulationStatFile =
    ".local/state/zelvar/simulation/device/Storage/My Documents/ZelvarPlugin.dat";

std::vector<std::string> Records(const std::string& statFile) {
  std::istringstream lines(statFile);
  std::vector<std::string> records;
  std::string line;
  for (std::getline(lines, line); std::getline(lines, line);) records.push_back(line);
  return records;
}

std::string ReadIfPresent(const std::string& path) {
  std::ifstream file(path);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

class HomeLockTest : public testing::Test {
 protected:
  std::string Path(const std::string& relative) const {
    return (folder_.path() / relative).string();
  }
  TempFolder folder_;
};

TEST_F(HomeLockTest, TwoHostsOnOneHomeFileEachDropOnce) {
  // Ten simulated hours a second on a battery that never charges, from the same start: both would
  // sample the same hours. They run until the keeper has flushed a few series (eight drops each),
  // however slowly a loaded machine lets them.
  const std::string arguments = "--simulate=36000 --night 0-0 --plug-below 0 --drain 2";
  HostOnTerminal keeper(folder_.path(), arguments, folder_.path() / "keeper.err");
  ASSERT_TRUE(keeper.WaitForScreen("hrs: ")) << keeper.screen();
  const pid_t keeperId = keeper.pid();
  HostOnTerminal viewer(folder_.path(), arguments, folder_.path() / "viewer.err");
  EXPECT_TRUE(viewer.WaitForScreen("VIEWER")) << viewer.screen();
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Records(ReadIfPresent(Path(kSimulationStatFile))).size() < 3 &&
         std::chrono::steady_clock::now() < limit) {
    keeper.ReadFor(std::chrono::milliseconds(100));
    viewer.ReadFor(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(viewer.Quit(), 0);
  EXPECT_EQ(keeper.Quit(), 0);

  EXPECT_NE(
      folder_.Read("viewer.err")
          .find("zelvar-home: process " + std::to_string(keeperId) +
                " keeps the plug-in's files (it holds " +
                Path(".local/state/zelvar/simulation/owner.lock") + "); this one runs as a viewer"),
      std::string::npos)
      << folder_.Read("viewer.err");
  const std::vector<std::string> records = Records(folder_.Read(kSimulationStatFile));
  EXPECT_FALSE(records.empty());
  // A record's head is the hour of its first drop: a second writer's records start in hours the
  // first one's already cover.
  std::set<std::string> heads;
  for (const std::string& record : records) heads.insert(record.substr(0, record.find(':')));
  EXPECT_EQ(heads.size(), records.size()) << folder_.Read(kSimulationStatFile);
}

// Three hosts on one simulated battery that never charges, ten simulated hours a second: the
// keeper is killed, a viewer takes over, is killed in turn, and the last one takes over. The drops
// the killed keepers kept are filed by the next, and none a viewer took while it only viewed: no
// hour is in the stat file twice, and none goes missing.
TEST_F(HomeLockTest, KeepersKilledOneAfterAnotherFileEachHourOnce) {
  const std::string arguments = "--simulate=36000 --night 0-0 --plug-below 0 --drain 1";
  std::vector<std::unique_ptr<HostOnTerminal>> hosts;
  for (const char* err : {"first.err", "second.err", "third.err"}) {
    hosts.push_back(
        std::make_unique<HostOnTerminal>(folder_.path(), arguments, folder_.path() / err));
    ASSERT_TRUE(hosts.back()->WaitForScreen("hrs: ")) << hosts.back()->screen();
  }
  const auto runFor = [&](std::chrono::milliseconds time) {
    for (const auto end = std::chrono::steady_clock::now() + time;
         std::chrono::steady_clock::now() < end;) {
      for (const auto& host : hosts) host->ReadFor(std::chrono::milliseconds(20));
    }
  };
  const auto keeper = [&] {
    std::istringstream lock(folder_.Read(".local/state/zelvar/simulation/owner.lock"));
    pid_t pid = 0;
    lock >> pid;
    return pid;
  };
  const auto keeping = [&] {
    return std::find_if(hosts.begin(), hosts.end(),
                        [&](const auto& host) { return host->pid() == keeper(); });
  };
  for (int kills = 0; kills < 2; ++kills) {
    runFor(std::chrono::milliseconds(1500));
    const auto killed = keeping();
    ASSERT_NE(killed, hosts.end()) << keeper();
    kill((*killed)->pid(), SIGKILL);
    EXPECT_EQ((*killed)->Quit(), -1);
    hosts.erase(killed);
    for (int tries = 0; tries < 100 && keeping() == hosts.end(); ++tries)
      runFor(std::chrono::milliseconds(100));
    ASSERT_NE(keeping(), hosts.end());
    // Its screen says that it took over, in a dialog that holds the plug-in until it is closed.
    (*keeping())->Type(" ");
  }
  runFor(std::chrono::milliseconds(1500));
  EXPECT_EQ(hosts.front()->Quit(), 0);

  const std::string stat = folder_.Read(kSimulationStatFile);
  std::set<ULONGLONG> hours;
  for (const ULONGLONG hour : HoursFiledIn(stat).hours)
    EXPECT_TRUE(hours.insert(hour).second) << "an hour filed twice:\n" << stat;
  EXPECT_GE(hours.size(), 30u) << stat;
  // Each flush and each takeover leaves an hour or two unsampled (a new period waits for its first
  // whole hour); the kept drops of a killed keeper, lost, would leave the hours since its last
  // flush.
  for (auto hour = hours.begin(); hour != hours.end() && std::next(hour) != hours.end(); ++hour)
    EXPECT_LE(*std::next(hour) - *hour, 3u) << stat;
}

TEST_F(HomeLockTest, ReadingRunsTakeNoLockAndTheLockGoesWithItsProcess) {
  HostOnTerminal keeper(folder_.path(), "--simulate", folder_.path() / "keeper.err");
  ASSERT_TRUE(keeper.WaitForScreen("hrs: ")) << keeper.screen();
  for (const char* reading : {"--once", "--report", "--stats"}) {
    const ProgramRun run = RunHostProgram(folder_.path(), std::string(reading) + " --simulate",
                                          folder_.path() / "err");
    EXPECT_EQ(run.exitCode, 0) << reading << ": " << run.err;
    EXPECT_EQ(run.err.find("viewer"), std::string::npos) << reading << ": " << run.err;
  }
  // A full-speed simulation keeps files: while the keeper runs it is a viewer and files nothing.
  const ProgramRun viewer = RunHostProgram(folder_.path(), "--days 2", folder_.path() / "err");
  EXPECT_EQ(viewer.exitCode, 0) << viewer.err;
  EXPECT_NE(viewer.err.find("runs as a viewer"), std::string::npos) << viewer.err;
  EXPECT_TRUE(Records(folder_.Read(kSimulationStatFile)).empty());

  // Killed, the keeper leaves the lock behind it; the next run keeps the files.
  kill(keeper.pid(), SIGKILL);
  EXPECT_EQ(keeper.Quit(), -1);
  const ProgramRun next = RunHostProgram(folder_.path(), "--days 2", folder_.path() / "err");
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_EQ(next.err.find("viewer"), std::string::npos) << next.err;
  EXPECT_FALSE(Records(folder_.Read(kSimulationStatFile)).empty());
}

TEST_F(HomeLockTest, TheKeeperWritesItsProcessIdAndWhereItPublishesForTheNext) {
  const std::filesystem::path file = folder_.path() / "state" / "owner.lock";
  HomeLock first(file, folder_.path() / "run");
  EXPECT_TRUE(first.owned());
  const std::filesystem::path line = first.LineFile();
  EXPECT_EQ(line.parent_path(), folder_.path() / "run");
  EXPECT_EQ(folder_.Read("state/owner.lock"),
            std::to_string(getpid()) + "\npublishes its line\n" + line.string() + "\n");
  HomeLock second(file, std::nullopt);
  EXPECT_FALSE(second.owned());
  EXPECT_EQ(second.holder()->pid, getpid());
  EXPECT_TRUE(second.holder()->publishes);
  EXPECT_EQ(second.holder()->lineFile, line);
  EXPECT_EQ(second.LineFile(), "");
  EXPECT_EQ(HomeLock::FileFor("/s/zelvar/plugin.stream"), "/s/zelvar/owner.lock");

  // What other keepers wrote, an older one's among them.
  const struct {
    std::string written;
    bool publishes;
    std::optional<std::filesystem::path> lineFile;
  } rows[] = {
      {"12\npublishes its line\n", true, std::nullopt},
      {"12\npublishes its line\n/run/a\nb.line\n", true, "/run/a\nb.line"},
      {"12\npublishes its line\nrelative.line\n", true, std::nullopt},
      {"12\npublishes its line\n/run/cut", true, std::nullopt},
      {"12\n", false, std::nullopt},
      {"12\nsomething else\n/run/b.line\n", false, std::nullopt},
  };
  for (const auto& row : rows) {
    folder_.Write("state/owner.lock", row.written);
    const std::optional<HomeLock::Holder>& holder = second.ReadHolder();
    ASSERT_TRUE(holder) << row.written;
    EXPECT_EQ(holder->pid, 12) << row.written;
    EXPECT_EQ(holder->publishes, row.publishes) << row.written;
    EXPECT_EQ(holder->lineFile, row.lineFile) << row.written;
  }
}

// Without a lock file to open (a read-only state folder), a host runs as a viewer and says why.
TEST_F(HomeLockTest, ALockFileThatCannotBeOpenedLeavesAViewer) {
  folder_.Write("state", "a file where the folder should be");
  HomeLock lock(folder_.path() / "state" / "owner.lock", folder_.path());
  EXPECT_FALSE(lock.opened());
  EXPECT_FALSE(lock.owned());
  EXPECT_FALSE(lock.TakeOverIfFree());
  EXPECT_EQ(lock.FreedFd(), -1);
  EXPECT_EQ(lock.ViewerNotice(),
            "cannot open the lock file " + Path("state/owner.lock") +
                ": Not a directory; this one runs as a viewer: it shows the line but writes "
                "neither the stat file nor the saved state");
}

TEST_F(HomeLockTest, ALinkInTheLocksPlaceIsRefusedAndItsTargetLeftWhole) {
  folder_.Write("target", "precious");
  std::filesystem::create_directories(folder_.path() / "state");
  std::filesystem::create_symlink(folder_.path() / "target",
                                  folder_.path() / "state" / "owner.lock");
  try {
    HomeLock lock(folder_.path() / "state" / "owner.lock", std::nullopt);
    ADD_FAILURE() << "a linked lock file was taken";
  } catch (const HostError& error) {
    EXPECT_STREQ(error.what(), ("the lock file " + Path("state/owner.lock") +
                                " is a symbolic link; remove it and start again")
                                   .c_str());
  }
  EXPECT_EQ(folder_.Read("target"), "precious");
}

}  // namespace
