// The built zelvar-home in status-bar mode, as a bar runs it: lines read from its output as they
// come, JSON parsed with a JSON library, stopped with SIGTERM.
#include <gtest/gtest.h>
#include <poll.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <fstream>
#include <sstream>
#include <nlohmann/json.hpp>
#include <filesystem>
#include <regex>

#include "host/hosting/home_screen_file.h"
#include "tests/fakes/logind_stand_in.h"
#include "tests/fakes/session_bus.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/home_screen_text.h"
#include "tests/fakes/host_program.h"

namespace {

using namespace std::chrono_literals;

const char* const kStatFile = "device/Storage/My Documents/ZelvarPlugin.dat";

// zelvar-home started in the background with its standard output on a pipe.
class BarProcess {
 public:
  BarProcess(const TempFolder& home, const std::string& arguments,
             const std::string& errFile = "stderr", bool asNobody = false) {
    int ends[2];
    EXPECT_EQ(pipe(ends), 0);
    const std::string command = "exec " + HostCommand(home.path(), arguments, asNobody) +
                                " </dev/null 2>'" + (home.path() / errFile).string() + "'";
    pid_ = fork();
    if (pid_ == 0) {
      dup2(ends[1], STDOUT_FILENO);
      close(ends[0]);
      close(ends[1]);
      execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ends[1]);
    out_ = ends[0];
  }
  ~BarProcess() {
    if (pid_ > 0) Stop();
    if (out_ >= 0) close(out_);
  }

  pid_t pid() const { return pid_; }
  // The reader goes away.
  void CloseOutput() {
    close(out_);
    out_ = -1;
  }

  // The next whole line (without its line break), or nullopt when none came in time.
  std::optional<std::string> NextLine(std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
      if (const size_t at = buffer_.find('\n'); at != std::string::npos) {
        std::string line = buffer_.substr(0, at);
        buffer_.erase(0, at + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      pollfd fd{out_, POLLIN, 0};
      if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0)
        return std::nullopt;
      char bytes[4096];
      const ssize_t n = read(out_, bytes, sizeof bytes);
      if (n <= 0) return std::nullopt;
      buffer_.append(bytes, static_cast<size_t>(n));
    }
  }

  // User and system time the process used so far, from /proc.
  double CpuSeconds() const {
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // The fields after the command name, which is in parentheses: state is field 3, utime 14,
    // stime 15.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long ticks = 0;
    for (int number = 3; number <= 15 && fields >> field; ++number) {
      if (number >= 14) ticks += std::stoull(field);
    }
    return static_cast<double>(ticks) / static_cast<double>(sysconf(_SC_CLK_TCK));
  }

  struct Ending {
    int exitCode;      // -1: ended by a signal
    std::string rest;  // what it wrote after the lines read
  };
  Ending Stop(int signal = SIGTERM) {
    kill(pid_, signal);
    return WaitForEnd();
  }
  // Waits for the program to end by itself.
  Ending WaitForEnd() {
    int status = 0;
    // A program that does not stop within ten seconds is killed, and its ending counts as a
    // signal's.
    for (int tries = 0; waitpid(pid_, &status, WNOHANG) == 0; ++tries) {
      if (tries == 1000) kill(pid_, SIGKILL);
      usleep(10'000);
    }
    pid_ = -1;
    char bytes[4096];
    for (ssize_t n; out_ >= 0 && (n = read(out_, bytes, sizeof bytes)) > 0;)
      buffer_.append(bytes, static_cast<size_t>(n));
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, buffer_};
  }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

class HostBarTest : public testing::Test {
 protected:
  HostBarTest() {
    const char* battery[][2] = {{"type", "Battery"},        {"status", "Discharging"},
                                {"present", "1"},           {"capacity", "62"},
                                {"charge_full", "4804000"}, {"charge_now", "2978480"}};
    for (const auto& [name, value] : battery)
      folder_.Write(std::string("sysfs/BAT0/") + name, std::string(value) + "\n");
  }
  std::string Options(const std::string& more) const {
    return "--sysfs '" + (folder_.path() / "sysfs").string() + "' --device-root '" +
           (folder_.path() / "device").string() + "' " + more;
  }

  TempFolder folder_;
};

constexpr const char* kStream = ".local/state/zelvar/plugin.stream";

// Waits until something other than `except` is created in the folder; false after ten seconds.
bool WaitForACreation(const std::filesystem::path& folder, int watch, const std::string& except) {
  alignas(inotify_event) char events[4096];
  for (;;) {
    pollfd fd{watch, POLLIN, 0};
    if (poll(&fd, 1, 10'000) != 1) return false;
    const ssize_t n = read(watch, events, sizeof events);
    for (ssize_t at = 0; at < n;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      if (event->len > 0 && except != event->name) return true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    if (n <= 0 && !std::filesystem::exists(folder)) return false;
  }
}

// Whatever ends it, the bar saves the plug-in's state: the signals that end a process by default,
// from the moment it creates its first file, and a reader that went away while it waited (a pipe's
// reader gone, a bar that was stopped), without waiting for a line to write.
TEST_F(HostBarTest, EndingSignalsAndAReaderGoneEndItSaving) {
  for (const int signal : {SIGHUP, SIGUSR1, SIGUSR2, SIGALRM, 0}) {
    std::filesystem::remove(folder_.path() / kStream);
    const bool atItsFirstFile = signal == SIGHUP;
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, folder_.path().c_str(), IN_CREATE), 0);
    BarProcess bar(folder_, Options("--bar"));
    if (atItsFirstFile) {
      EXPECT_TRUE(WaitForACreation(folder_.path(), watch, "stderr"));
    } else {
      ASSERT_TRUE(bar.NextLine()) << folder_.Read("stderr");
    }
    close(watch);
    if (signal == 0) bar.CloseOutput();
    const BarProcess::Ending ending = signal == 0 ? bar.WaitForEnd() : bar.Stop(signal);
    EXPECT_EQ(ending.exitCode, 0) << "signal " << signal << ": " << folder_.Read("stderr");
    EXPECT_TRUE(folder_.Exists(kStream)) << "signal " << signal;
  }
}

// A bar beside a keeper that publishes no line (the terminal screen) runs the plug-in as a viewer.
// The keeper ends without a word (killed): the viewer takes the lock at its next timer, says so
// once, and from then on keeps the files.
TEST_F(HostBarTest, AViewerKeepsTheFilesOnceTheKeeperIsGone) {
  folder_.Write("home.xml", HomeScreenWith("RefreshTimeout=\"1000\""));
  const std::string options = Options("--home '" + (folder_.path() / "home.xml").string() + "'");
  HostOnTerminal keeper(folder_.path(), options, folder_.path() / "stderr");
  ASSERT_TRUE(keeper.WaitForScreen("hrs: ")) << keeper.screen();
  BarProcess viewer(folder_, options + " --bar", "viewer-stderr");
  ASSERT_TRUE(viewer.NextLine()) << folder_.Read("viewer-stderr");
  ASSERT_NE(folder_.Read("viewer-stderr").find("this one runs as a viewer"), std::string::npos);

  kill(keeper.pid(), SIGKILL);
  EXPECT_EQ(keeper.Quit(), -1);
  const std::string takeOver =
      "no longer keeps the plug-in's files; this one keeps them from now on";
  for (int tries = 0;
       tries < 100 && folder_.Read("viewer-stderr").find(takeOver) == std::string::npos; ++tries) {
    viewer.NextLine(100ms);
  }
  EXPECT_EQ(folder_.Read(".local/state/zelvar/owner.lock")
                .rfind(std::to_string(viewer.pid()) + "\npublishes its line\n" +
                           folder_.path().string() + "/zelvar/bar-",
                       0),
            0u);
  EXPECT_FALSE(folder_.Exists(kStream));
  EXPECT_EQ(viewer.Stop().exitCode, 0);
  const std::string err = folder_.Read("viewer-stderr");
  EXPECT_NE(err.find(takeOver), std::string::npos) << err;
  EXPECT_EQ(err.find(takeOver), err.rfind(takeOver)) << err;
  EXPECT_TRUE(folder_.Exists(kStream));
}

// How many times the text occurs in the whole.
size_t Occurrences(const std::string& whole, const std::string& text) {
  size_t count = 0;
  for (size_t at = whole.find(text); at != std::string::npos; at = whole.find(text, at + 1))
    ++count;
  return count;
}

// Two bars beside a keeping bar follow it: each prints the keeper's line in its own form and writes
// nothing. Killed, the keeper is followed by one of them, which says so once and keeps the files;
// the other follows that one. The keeper's home shows the battery current in the line, the
// followers' does not: a follower that ran the plug-in itself would print a line of its own.
TEST_F(HostBarTest, BarsBesideAKeeperFollowItAndOneTakesOverWhenItEnds) {
  folder_.Write("sysfs/BAT0/current_now", "1500000\n");
  folder_.Write("keeper.xml", HomeScreenWith("ExpertMode=\"1\""));
  BarProcess keeper(
      folder_, Options("--bar --json --home '" + (folder_.path() / "keeper.xml").string() + "'"));
  const std::optional<std::string> kept = keeper.NextLine(20s);
  ASSERT_TRUE(kept) << folder_.Read("stderr");
  // No session bus: the low-battery warnings say so as soon as they start.
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (folder_.path() / "no-bus").string()).c_str(),
         1);
  BarProcess plain(folder_, Options("--bar"), "plain-stderr");
  BarProcess json(folder_, Options("--bar --json"), "json-stderr");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  const auto textOf = [](const std::string& line) {
    return nlohmann::json::parse(line).at("text").get<std::string>();
  };
  EXPECT_NE(textOf(*kept).find(" mA, "), std::string::npos) << *kept;
  EXPECT_EQ(json.NextLine(20s), kept) << folder_.Read("json-stderr");
  EXPECT_EQ(plain.NextLine(20s), textOf(*kept)) << folder_.Read("plain-stderr");

  const pid_t keeperId = keeper.pid();
  keeper.Stop(SIGKILL);
  // The first line without the current is the new keeper's own.
  const auto ownLine = [](BarProcess& bar, const auto& text) {
    std::optional<std::string> line;
    while ((line = bar.NextLine(20s)) && text(*line).find(" mA") != std::string::npos) {
    }
    return line;
  };
  const std::optional<std::string> plainLine =
      ownLine(plain, [](const std::string& line) { return line; });
  const std::optional<std::string> jsonLine = ownLine(json, textOf);
  ASSERT_TRUE(plainLine && jsonLine) << folder_.Read("plain-stderr") << folder_.Read("json-stderr");
  EXPECT_EQ(*plainLine, textOf(*jsonLine));

  const std::string takeOver =
      "zelvar-home: process " + std::to_string(keeperId) +
      " no longer keeps the plug-in's files; this one keeps them from now on";
  const bool plainKeeps = folder_.Read("plain-stderr").find(takeOver) != std::string::npos;
  EXPECT_EQ(Occurrences(folder_.Read("plain-stderr") + folder_.Read("json-stderr"), takeOver), 1u)
      << folder_.Read("plain-stderr") << folder_.Read("json-stderr");
  EXPECT_EQ(
      folder_.Read(".local/state/zelvar/owner.lock")
          .rfind(std::to_string((plainKeeps ? plain : json).pid()) + "\npublishes its line\n", 0),
      0u);
  // Its warnings started when it took over; the follower has none.
  const std::string noBus = "zelvar-home: no desktop notifications: ";
  EXPECT_NE(folder_.Read(plainKeeps ? "plain-stderr" : "json-stderr").find(noBus),
            std::string::npos);
  EXPECT_EQ(folder_.Read(plainKeeps ? "json-stderr" : "plain-stderr").find(noBus),
            std::string::npos);
  EXPECT_FALSE(folder_.Exists(kStream));
  EXPECT_EQ(plain.Stop().exitCode, 0);
  EXPECT_EQ(json.Stop().exitCode, 0);
  EXPECT_TRUE(folder_.Exists(kStream));
}

// A keeper that publishes elsewhere than this bar would (another XDG_RUNTIME_DIR): the lock file
// says where. Its line is printed without its control characters, and a FIFO in its place is not
// waited on. Once the lock is free the follower takes the files over, though the process the lock
// file names lives on (its id reused), publishes its own line where the lock file says, and
// removes it when it ends.
TEST_F(HostBarTest, AFollowerFindsTheLineWhereTheLockSaysAndTakesOverOnceTheLockIsFree) {
  const std::filesystem::path lockFile = folder_.path() / ".local/state/zelvar/owner.lock";
  const std::filesystem::path line = folder_.path() / "elsewhere" / "bar.line";
  std::filesystem::create_directories(lockFile.parent_path());
  std::filesystem::create_directories(line.parent_path());
  const std::string takeOver =
      "zelvar-home: process " + std::to_string(getpid()) +
      " no longer keeps the plug-in's files; this one keeps them from now on";
  for (const bool fifo : {false, true}) {
    std::filesystem::remove(line);
    const int lock = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(flock(lock, LOCK_EX | LOCK_NB), 0);
    const std::string holder =
        std::to_string(getpid()) + "\npublishes its line\n" + line.string() + "\n";
    ASSERT_EQ(ftruncate(lock, 0), 0);
    ASSERT_EQ(pwrite(lock, holder.data(), holder.size(), 0), static_cast<ssize_t>(holder.size()));
    if (fifo) {
      ASSERT_EQ(mkfifo(line.c_str(), 0600), 0);
    } else {
      folder_.Write("elsewhere/bar.line", "\x1b]0;owned\x07 12%\n{}\n");
    }
    BarProcess follower(folder_, Options("--bar"));
    if (fifo) {
      // It follows once it says that it found no line.
      for (int tries = 0;
           tries < 200 && folder_.Read("stderr").find("cannot show") == std::string::npos; ++tries)
        usleep(50'000);
    } else {
      EXPECT_EQ(follower.NextLine(), "\xef\xbf\xbd]0;owned\xef\xbf\xbd 12%")
          << folder_.Read("stderr");
    }
    close(lock);
    const std::optional<std::string> own = follower.NextLine();
    ASSERT_TRUE(own) << folder_.Read("stderr");
    EXPECT_TRUE(std::regex_match(*own, std::regex(R"(62%, hrs: [0-9.]+/-\?-)"))) << *own;
    EXPECT_NE(folder_.Read("stderr").find(takeOver), std::string::npos)
        << fifo << folder_.Read("stderr");
    const std::string named = folder_.Read(".local/state/zelvar/owner.lock");
    const size_t at = named.find("publishes its line\n") + 19;
    const std::filesystem::path published = named.substr(at, named.size() - at - 1);
    EXPECT_EQ(published.parent_path(), folder_.path() / "zelvar");
    EXPECT_TRUE(std::filesystem::exists(published)) << named;
    // The lock's wake-up is answered once: the keeper sleeps.
    const double cpuBefore = follower.CpuSeconds();
    EXPECT_EQ(follower.NextLine(500ms), std::nullopt);
    EXPECT_LT(follower.CpuSeconds() - cpuBefore, 0.1);
    EXPECT_EQ(follower.Stop().exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(published));
  }
}

// A read-only state folder without a lock file: the bar says why it cannot keep the files and
// shows the line as a viewer.
TEST_F(HostBarTest, AReadOnlyStateFolderLeavesTheBarAViewer) {
  const std::filesystem::path state = folder_.path() / ".local/state/zelvar";
  std::filesystem::create_directories(state);
  if (geteuid() == 0) {
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder_.path()))
      ASSERT_EQ(lchown(entry.path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(chown(folder_.path().c_str(), 65534, 65534), 0);
  }
  chmod(state.c_str(), 0555);
  BarProcess bar(folder_, Options("--bar"), "stderr", true);
  const std::optional<std::string> line = bar.NextLine();
  ASSERT_TRUE(line) << folder_.Read("stderr");
  EXPECT_TRUE(std::regex_match(*line, std::regex(R"(62%, hrs: [0-9.]+/-\?-)"))) << *line;
  EXPECT_EQ(bar.Stop().exitCode, 0);
  EXPECT_NE(folder_.Read("stderr").find("zelvar-home: cannot open the lock file " +
                                        (state / "owner.lock").string() +
                                        ": Permission denied; this one runs as a viewer"),
            std::string::npos)
      << folder_.Read("stderr");
}

// A record of the stat file for three drops from the local hour `hoursAgo` hours back.
std::string RecordFrom(int hoursAgo) {
  const std::time_t then = std::time(nullptr) - static_cast<std::time_t>(hoursAgo) * 3600;
  std::tm local{};
  localtime_r(&then, &local);
  return std::to_string(local.tm_year + 1900) + "." + std::to_string(local.tm_mon + 1) + "." +
         std::to_string(local.tm_mday) + "." + std::to_string(local.tm_hour) + ":2,3,2\n";
}

TEST_F(HostBarTest, TheFormatChoosesTheTextAndAFigureNotKnownReadsAQuestionMark) {
  folder_.Write(kStatFile, "[version 1]\n" + RecordFrom(6));
  BarProcess bar(folder_, Options("--bar --format={state}:{percent}%/{statistics}/{hours:hm}"));
  const std::optional<std::string> line = bar.NextLine();
  ASSERT_TRUE(line) << folder_.Read("stderr");
  // Learning, nothing dropped yet, no time from the battery: no hours to show.
  EXPECT_TRUE(std::regex_match(*line, std::regex(R"(discharging:62%/[0-9]+\.[0-9]/\?)"))) << *line;
}

TEST_F(HostBarTest, JsonLinesCarryTheLineTheReportTheTrustInTheEstimateAndTheState) {
  // Three hours of the day with samples in the window; a record 40 days old is outside it.
  folder_.Write(kStatFile, "[version 1]\n" + RecordFrom(40 * 24 + 12) + RecordFrom(6));
  BarProcess bar(folder_, Options("--bar --json"));
  const std::optional<std::string> line = bar.NextLine();
  ASSERT_TRUE(line) << folder_.Read("stderr");

  const nlohmann::json object = nlohmann::json::parse(*line);
  ASSERT_TRUE(object.is_object());
  EXPECT_EQ(object.size(), 5u) << *line;
  EXPECT_EQ(object.at("alt"), "discharging");
  EXPECT_TRUE(std::regex_match(object.at("text").get<std::string>(),
                               std::regex(R"(62%, hrs: [0-9.]+ \([0-9.]+\))")))
      << object.at("text");
  // Three hours with drain: the statistics are still learning.
  EXPECT_EQ(object.at("class"), nlohmann::json({"discharging", "learning"}));
  EXPECT_EQ(object.at("percentage"), 62);
  const std::string tooltip = object.at("tooltip").get<std::string>();
  EXPECT_EQ(tooltip.rfind("Charge 62%, on battery\n", 0), 0u) << tooltip;
  EXPECT_NE(tooltip.find("\nDrain measured for 3 of the 24 hours of the day (last 30 days)\n"),
            std::string::npos)
      << tooltip;
  EXPECT_NE(tooltip.find("\nBatteryLifePercent: 62%\n"), std::string::npos) << tooltip;

  const BarProcess::Ending ending = bar.Stop();
  EXPECT_EQ(ending.exitCode, 0) << folder_.Read("stderr");
  EXPECT_EQ(ending.rest, "");
}

// Without a battery there is nothing to learn: the line is not learning and no stat file is made.
TEST_F(HostBarTest, WithoutABatteryTheBarNeitherLearnsNorMakesAStatFile) {
  std::filesystem::remove_all(folder_.path() / "sysfs" / "BAT0");
  folder_.Write("sysfs/AC/type", "Mains\n");
  BarProcess bar(folder_, Options("--bar --json"));
  const std::optional<std::string> line = bar.NextLine();
  ASSERT_TRUE(line) << folder_.Read("stderr");
  const nlohmann::json object = nlohmann::json::parse(*line);
  EXPECT_EQ(object.at("class"), "unknown");
  EXPECT_EQ(object.at("tooltip").get<std::string>().find("Drain measured"), std::string::npos);
  EXPECT_EQ(bar.Stop().exitCode, 0) << folder_.Read("stderr");
  EXPECT_FALSE(folder_.Exists(kStatFile));
}

TEST_F(HostBarTest, AZeroTimeoutNeitherSpinsNorRepeatsAnUnchangedLine) {
  folder_.Write("home.xml", HomeScreenWith("RefreshTimeout=\"0\""));

  BarProcess bar(folder_, Options("--bar --home '" + (folder_.path() / "home.xml").string() + "'"));
  const std::optional<std::string> line = bar.NextLine();
  ASSERT_TRUE(line) << folder_.Read("stderr");
  EXPECT_TRUE(std::regex_match(*line, std::regex(R"(62%, hrs: [0-9.]+/-\?-)"))) << *line;
  // The plug-in asks for a timer of 0 ms again and again; the host answers once a second. Busy,
  // it would use most of the second and a half.
  const double cpuBefore = bar.CpuSeconds();
  EXPECT_EQ(bar.NextLine(1500ms), std::nullopt);
  EXPECT_LT(bar.CpuSeconds() - cpuBefore, 0.1);

  const BarProcess::Ending ending = bar.Stop();
  EXPECT_EQ(ending.exitCode, 0);
  EXPECT_EQ(ending.rest, "");
  const std::string err = folder_.Read("stderr");
  EXPECT_NE(err.find("zelvar-home: RefreshTimeout=\"0\" asks for a refresh without pause"),
            std::string::npos)
      << err;
  // Stopped by SIGTERM, it saved the plug-in's state.
  EXPECT_TRUE(folder_.Exists(".local/state/zelvar/plugin.stream"));
}

// The files under the folder whose name is `name`.
std::vector<std::filesystem::path> FilesNamed(const std::filesystem::path& folder,
                                              const std::string& name) {
  std::vector<std::filesystem::path> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename() == name) found.push_back(entry.path());
  }
  return found;
}

TEST_F(HostBarTest, SigtermSavesTheStateAndThePendingHourlyDrops) {
  // A simulated battery that drains 5 points every hour and is never put on the charger, an hour a
  // second: after a few seconds some hourly drops wait for the stat file (they go there after 8).
  BarProcess bar(folder_, "--bar --simulate=3600 --night 0-0 --drain 5 --plug-below 0");
  std::optional<std::string> line;
  std::smatch hours;
  const std::regex onBattery(R"(^\d+%, hrs: .*?([0-9.]+)\)?$)");
  do {
    line = bar.NextLine();
    ASSERT_TRUE(line) << folder_.Read("stderr");
  } while (
      !(std::regex_search(*line, hours, std::regex(R"(([0-9.]+)\)$|^\d+%, hrs: ([0-9.]+)/)")) &&
        std::stod(hours[1].matched ? hours[1].str() : hours[2].str()) >= 2.5));
  EXPECT_TRUE(FilesNamed(folder_.path(), "plugin.stream").empty());

  const BarProcess::Ending ending = bar.Stop();
  EXPECT_EQ(ending.exitCode, 0) << folder_.Read("stderr");
  EXPECT_EQ(FilesNamed(folder_.path(), "plugin.stream").size(), 1u);
  const std::vector<std::filesystem::path> statFiles =
      FilesNamed(folder_.path(), "ZelvarPlugin.dat");
  ASSERT_EQ(statFiles.size(), 1u);
  std::ifstream stat(statFiles[0]);
  std::string content((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  // The drops of the hours on battery, in one record.
  EXPECT_TRUE(std::regex_search(content, std::regex(R"(\n\d+\.\d+\.\d+\.\d+:[1-9]\d*(,\d+)*\n)")))
      << content;
}

TEST_F(HostBarTest, WithoutASessionBusTheBarSaysSoOnceAndGoesOn) {
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (folder_.path() / "no-bus").string()).c_str(),
         1);
  BarProcess bar(folder_, "--bar --simulate=3600 --night 0-0 --drain 20 --plug-below 0");
  unsetenv("DBUS_SESSION_BUS_ADDRESS");
  // Down past every threshold: each would have been a notification.
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(bar.NextLine()) << folder_.Read("stderr");
  const BarProcess::Ending ending = bar.Stop();
  EXPECT_EQ(ending.exitCode, 0);
  EXPECT_EQ(Occurrences(folder_.Read("stderr"),
                        "zelvar-home: no desktop notifications: cannot connect to the "
                        "session bus: No such file or directory; tried again at each warning\n"),
            1u)
      << folder_.Read("stderr");
}

// A notification service that takes every call and never answers holds up no line: not the first
// (no call waits at the start), not one that warns, the first line's or a later one's.
TEST_F(HostBarTest, ANotificationServiceThatNeverAnswersHoldsUpNoLine) {
  const PrivateSessionBus bus;
  const RecordingNotificationService service(bus.address(),
                                             RecordingNotificationService::Answers::Never);
  const auto secondsSince = [](std::chrono::steady_clock::time_point then) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - then).count();
  };
  folder_.Write("sysfs/BAT0/capacity", "15\n");
  folder_.Write("sysfs/BAT0/charge_now", "720600\n");
  auto started = std::chrono::steady_clock::now();
  {
    BarProcess low(folder_, Options("--bar"), "low-stderr");
    const std::optional<std::string> line = low.NextLine(20s);
    const double firstLine = secondsSince(started);
    ASSERT_TRUE(line) << folder_.Read("low-stderr");
    EXPECT_EQ(line->rfind("15%", 0), 0u) << *line;
    EXPECT_LT(firstLine, 3.0) << "the first line, a warning, after " << firstLine << " s";
  }

  // From 80 % down past every threshold, a line about every 0.2 s.
  started = std::chrono::steady_clock::now();
  BarProcess bar(folder_, "--bar --simulate=3600 --night 0-0 --drain 20 --plug-below 0");
  std::string times;
  double firstLine = 0;
  double longestGap = 0;
  auto previous = started;
  for (int percent = 100; percent > 5;) {
    const std::optional<std::string> line = bar.NextLine(20s);
    ASSERT_TRUE(line) << times << folder_.Read("stderr");
    const double gap = secondsSince(previous);
    previous = std::chrono::steady_clock::now();
    if (times.empty())
      firstLine = gap;
    else
      longestGap = std::max(longestGap, gap);
    times += std::to_string(gap) + " s: " + *line + "\n";
    percent = std::stoi(*line);
  }
  EXPECT_LT(firstLine, 3.0) << times;
  EXPECT_LT(longestGap, 3.0) << times;
  ASSERT_TRUE(service.WaitForCalls(2));
  for (const std::string& call : service.calls())
    EXPECT_EQ(call.rfind("Notify zelvar-home replaces=0 icon=battery-low", 0), 0u) << call;
  EXPECT_EQ(bar.Stop().exitCode, 0);
  EXPECT_EQ(folder_.Read("stderr").find("no desktop notifications"), std::string::npos)
      << folder_.Read("stderr");
}

// A bar whose session bus goes away carries on, and its next warning reaches the next bus.
TEST_F(HostBarTest, ABarWhoseSessionBusWentAwayCarriesOnAndWarnsOnTheNext) {
  PrivateSessionBus bus;
  // From 80 %, 20 points an hour, an hour a second: 20 % comes after about 3 s.
  BarProcess bar(folder_, "--bar --simulate=3600 --night 0-0 --drain 20 --plug-below 0");
  ASSERT_TRUE(bar.NextLine()) << folder_.Read("stderr");
  bus.Restart();
  const RecordingNotificationService service(bus.address());
  ASSERT_TRUE(service.WaitForCalls(1)) << folder_.Read("stderr");
  EXPECT_EQ(service.calls()[0].rfind("Notify zelvar-home replaces=0 icon=battery-low", 0), 0u)
      << service.calls()[0];
  EXPECT_EQ(bar.Stop().exitCode, 0);
  EXPECT_EQ(folder_.Read("stderr").find("the session bus closed"), std::string::npos)
      << folder_.Read("stderr");
}

// A battery held by its charge limit: once it stops charging the keeper says so, as NotifyFull on
// <home> asks, and running on battery withdraws the notice. The line keeps its text: a JSON bar
// writes it anew in the class "full", a text bar not again.
TEST_F(HostBarTest, ABatteryHeldByItsLimitIsNotifiedAndRunningOnBatteryWithdrawsIt) {
  for (const bool json : {true, false}) {
    SCOPED_TRACE(json ? "--json" : "text");
    const PrivateSessionBus bus;
    const RecordingNotificationService service(bus.address());
    folder_.Write("home.xml",
                  "<home NotifyFull=\"yes\">" + HomeScreenWith("RefreshTimeout=\"200\"").substr(6));
    folder_.Write("sysfs/AC/type", "Mains\n");
    folder_.Write("sysfs/AC/online", "1\n");
    folder_.Write("sysfs/BAT0/charge_control_end_threshold", "80\n");
    folder_.Write("sysfs/BAT0/status", "Charging\n");
    // 80 %: the line stays the same when the charging stops, and the notice comes all the same.
    folder_.Write("sysfs/BAT0/charge_now", "3843200\n");
    BarProcess bar(folder_, Options(std::string("--bar ") + (json ? "--json " : "") + "--home '" +
                                    (folder_.path() / "home.xml").string() + "'"));
    ASSERT_TRUE(bar.NextLine()) << folder_.Read("stderr");
    folder_.Write("sysfs/BAT0/status", "Not charging\n");
    ASSERT_TRUE(service.WaitForCalls(1)) << folder_.Read("stderr");
    if (json) {
      const std::optional<std::string> held = bar.NextLine();
      ASSERT_TRUE(held) << folder_.Read("stderr");
      EXPECT_NE(held->find("\"alt\":\"full\""), std::string::npos) << *held;
    }
    folder_.Write("sysfs/AC/online", "0\n");
    folder_.Write("sysfs/BAT0/status", "Discharging\n");
    ASSERT_TRUE(service.WaitForCalls(2)) << folder_.Read("stderr");
    EXPECT_EQ(service.calls(),
              (std::vector<std::string>{"Notify zelvar-home replaces=0 icon=battery-full-charged "
                                        "urgency=1 category=device expire=-1 'Charged to 80 % (the "
                                        "charge limit)' ''",
                                        "CloseNotification 1"}));
    if (!json) {
      const std::optional<std::string> next = bar.NextLine();
      ASSERT_TRUE(next) << folder_.Read("stderr");
      EXPECT_EQ(next->find("(online)"), std::string::npos) << *next;
    }
    EXPECT_EQ(bar.Stop().exitCode, 0);
  }
}

// The service keeps the files and learns until SIGTERM, without a session bus as with one; a
// session bus it reached that goes away (the desktop session ended) ends it as SIGTERM does, so
// that the next session's service takes the files over.
TEST_F(HostBarTest, TheServiceTellsItIsReadyKeepsTheFilesWritesNothingAndSavesAtItsEnd) {
  for (const bool busGoesAway : {false, true}) {
    SCOPED_TRACE(busGoesAway ? "the bus goes away" : "SIGTERM");
    const TempFolder home;
    std::optional<PrivateSessionBus> bus;
    if (busGoesAway) bus.emplace();
    // systemd's side of sd_notify: a datagram socket named by NOTIFY_SOCKET.
    const std::string socketPath = (home.path() / "notify").string();
    const int listener = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    setenv("NOTIFY_SOCKET", socketPath.c_str(), 1);
    BarProcess service(home, "--service --simulate=3600 --night 0-0 --drain 5 --plug-below 0");
    unsetenv("NOTIFY_SOCKET");

    pollfd ready{listener, POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 20'000), 1) << home.Read("stderr");
    char message[256] = {};
    ASSERT_GT(recv(listener, message, sizeof message - 1, 0), 0);
    EXPECT_EQ(std::string(message), "READY=1");
    close(listener);
    const std::vector<std::filesystem::path> locks = FilesNamed(home.path(), "owner.lock");
    ASSERT_EQ(locks.size(), 1u);
    std::ifstream lock(locks[0]);
    pid_t holder = 0;
    lock >> holder;
    EXPECT_EQ(holder, service.pid());

    // Simulated hours on battery pass: their drops wait for the stat file.
    sleep(3);
    if (busGoesAway) bus->Stop();
    const BarProcess::Ending ending = busGoesAway ? service.WaitForEnd() : service.Stop();
    EXPECT_EQ(ending.exitCode, 0) << home.Read("stderr");
    EXPECT_EQ(ending.rest, "");
    EXPECT_EQ(Occurrences(home.Read("stderr"),
                          "zelvar-home: the session bus closed (the desktop session ended): "
                          "saving and ending, so that the next session's service takes over\n"),
              busGoesAway ? 1u : 0u)
        << home.Read("stderr");
    EXPECT_EQ(FilesNamed(home.path(), "plugin.stream").size(), 1u);
    const std::vector<std::filesystem::path> statFiles =
        FilesNamed(home.path(), "ZelvarPlugin.dat");
    ASSERT_EQ(statFiles.size(), 1u);
    std::ifstream stat(statFiles[0]);
    const std::string content((std::istreambuf_iterator<char>(stat)),
                              std::istreambuf_iterator<char>());
    EXPECT_TRUE(std::regex_search(content, std::regex(R"(\n\d+\.\d+\.\d+\.\d+:[1-9]\d*(,\d+)*\n)")))
        << content;
  }
}

// The critical action, asked of a stand-in logind on a private system bus, never the machine's: at
// the level the keeper counts down and acts once, a plug-in during the countdown cancels it, and an
// action the system cannot take is said once and the warning says so instead.
TEST_F(HostBarTest, TheCriticalActionCountsDownActsOnceAndAPlugInCancelsIt) {
  const std::string warning =
      "Notify zelvar-home replaces=0 icon=battery-caution urgency=2 category=device expire=-1 "
      "'Battery 80 %' ";
  const std::string countdown = warning + "'Hibernating in 60 s unless the charger is plugged in'";
  const struct {
    const char* name;
    const char* canHibernate;
    const char* plugBelow;
    std::vector<std::string> logind;
    std::vector<std::string> notifications;
    const char* said;               // on standard error, all of it
    const char* hibernate = "yes";  // logind's answer to the action itself
  } rows[] = {
      {"acts once",
       "yes",
       "0",
       {"CanHibernate", "Hibernate interactive=false"},
       {countdown, "CloseNotification 1"},
       "zelvar-home: Hibernating at 78 % on battery\n"},
      {"plugged in during the countdown",
       "yes",
       "79.5",
       {"CanHibernate"},
       {countdown, "CloseNotification 1"},
       ""},
      {"cannot",
       "na",
       "0",
       {"CanHibernate"},
       {warning + "'Not hibernating: the system cannot hibernate (logind answers \"na\"); plug "
                  "in the charger'"},
       "zelvar-home: the critical action will not happen: the system cannot hibernate (logind "
       "answers \"na\"); at 100 % the critical warning says so\n"},
      {"refused when taken",
       "yes",
       "0",
       {"CanHibernate", "Hibernate interactive=false"},
       {countdown,
        "Notify zelvar-home replaces=1 icon=battery-caution urgency=2 category=device expire=-1 "
        "'Battery 78 %' 'Not hibernating: logind failed: Hibernate refused: CanHibernate answers "
        "no; plug in the charger'"},
       "zelvar-home: the critical action failed at 78 % on battery: logind failed: Hibernate "
       "refused: CanHibernate answers no\n",
       "no"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TempFolder home;
    // From 80 % at 10:00:30 UTC, 100 points an hour, ten simulated minutes a real second: at the
    // level from the first reading on, the countdown ends 0.1 s later (a plug-in before it), and
    // the plug-in's own readings at 10:10 and 10:20 change nothing.
    home.Write(".local/state/zelvar/simulation/simulation",
               "zelvar simulation 1\nutc " +
                   std::to_string(1'767'607'230ULL * 10'000'000 + 116'444'736'000'000'000ULL) +
                   "\nzone-minutes 0\npercent 80\n");
    home.Write(".local/state/zelvar/simulation/home.xml", HomeScreenWith());
    const PrivateSessionBus session;
    const RecordingNotificationService notifications(session.address());
    const PrivateSystemBus system;
    const StandInLogind logind(system.address(),
                               {{"CanHibernate", row.canHibernate}, {"Hibernate", row.hibernate}});
    BarProcess service(home, std::string("--service --simulate=600 --night 0-0 --drain 100 ") +
                                 "--critical-action hibernate --critical-below 100 --plug-below " +
                                 row.plugBelow);
    ASSERT_TRUE(notifications.WaitForCalls(1)) << home.Read("stderr");
    sleep(2);
    EXPECT_EQ(logind.calls(), row.logind);
    EXPECT_EQ(notifications.calls(), row.notifications);
    // Saved before the action was asked for.
    EXPECT_EQ(FilesNamed(home.path(), "plugin.stream").size(), row.logind.size() - 1);
    EXPECT_EQ(service.Stop().exitCode, 0);
    EXPECT_EQ(home.Read("stderr"), row.said);
  }
}

}  // namespace
