// The host's waiter on the machine: what ends a wait, on the real clock and on a simulated one.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <linux/netlink.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/wait/stop_signals.h"
#include "host/wait/clock_pacer.h"
#include "host/wait/file_changes.h"
#include "host/wait/poll_waiter.h"
#include "host/wait/power_events.h"
#include "host/wait/lock_wait.h"
#include "platform/time/clock.h"
#include "platform/power/power_source.h"
#include "tests/fakes/fixed_power_source.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"

namespace {

constexpr ULONGLONG kUnitsPerMs = 10'000;
constexpr ULONGLONG kHour = 3'600'000 * kUnitsPerMs;

struct Pipe {
  Pipe() { EXPECT_EQ(pipe(ends), 0); }
  ~Pipe() {
    close(ends[0]);
    close(ends[1]);
  }
  int ends[2];
};

bool Readable(int fd, int waitMs) {
  pollfd poller{fd, POLLIN, 0};
  return poll(&poller, 1, waitMs) == 1;
}

// Events that are a pipe's bytes: each read takes all there are, and answers `changes`.
struct PipeEvents final : Pipe, PowerEvents {
  PipeEvents() { fcntl(ends[0], F_SETFL, O_NONBLOCK); }
  int fd() const override { return ends[0]; }
  bool ChargerChanged() override {
    ++reads;
    char bytes[16];
    while (read(ends[0], bytes, sizeof bytes) > 0) {
    }
    return changes;
  }
  bool changes = false;
  int reads = 0;
};

TEST(WallClockTimer, FiresForAnInstantPassedAndOnlyOnce) {
  WallClockTimer timer;
  const ULONGLONG now = CurrentClock().UtcNow();
  for (const ULONGLONG passed : {now - 1000 * kUnitsPerMs, ULONGLONG{0}}) {
    ASSERT_TRUE(timer.ArmAt(passed));
    EXPECT_TRUE(Readable(timer.fd(), 1000));
    EXPECT_EQ(timer.Read(), WallClockTimer::Expiry::Fired);
    EXPECT_EQ(timer.Read(), WallClockTimer::Expiry::None);
  }
  ASSERT_TRUE(timer.ArmAt(now + kHour));
  EXPECT_FALSE(Readable(timer.fd(), 20));
  EXPECT_EQ(timer.Read(), WallClockTimer::Expiry::None);
}

TEST(PollWaiter, OnTheRealClockEachCauseEndsTheWaitAsItself) {
  ClockPacer realTime;
  PollWaiter waiter(realTime);
  const ULONGLONG now = CurrentClock().UtcNow();
  EXPECT_EQ(waiter.Wait(now - kUnitsPerMs, -1, -1), WakeReason::Deadline);
  EXPECT_EQ(waiter.Wait(now + kHour, -1, 20), WakeReason::Deadline);
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  const ULONGLONG soon = CurrentClock().UtcNow() + 30 * kUnitsPerMs;
  EXPECT_EQ(waiter.Wait(soon, -1, 5000), WakeReason::Deadline);
  EXPECT_GE(CurrentClock().UtcNow(), soon);

  Pipe input;
  ASSERT_EQ(write(input.ends[1], "k", 1), 1);
  EXPECT_EQ(waiter.Wait(now + kHour, input.ends[0], -1), WakeReason::Input);

  // Power events are read at every wake they cause: those that change nothing end no wait, and
  // leave nothing to wake the next one.
  PipeEvents events;
  waiter.WatchPowerEvents(&events);
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  ASSERT_EQ(write(events.ends[1], "ee", 2), 2);
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 50), WakeReason::Deadline);
  EXPECT_EQ(events.reads, 1);
  events.changes = true;
  ASSERT_EQ(write(events.ends[1], "e", 1), 1);
  EXPECT_EQ(waiter.Wait(now + kHour, -1, -1), WakeReason::PowerEvent);
  EXPECT_EQ(events.reads, 2);
  EXPECT_FALSE(Readable(events.ends[0], 0));
  waiter.WatchPowerEvents(nullptr);

  // A connection ends the wait when it is ready for the events it asks, or due; idle, or gone, it
  // costs nothing.
  struct Connection final : PolledConnection {
    int fd() const override { return descriptor; }
    short events() const override { return asked; }
    int msUntilDue() const override { return dueMs; }
    int descriptor = -1;
    short asked = POLLIN;
    int dueMs = -1;
  } connection;
  waiter.WatchConnection(WakeReason::SessionBus, &connection);
  Pipe bus;
  connection.descriptor = bus.ends[0];
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  connection.dueMs = 10;
  EXPECT_EQ(waiter.Wait(now + kHour, -1, -1), WakeReason::SessionBus);
  connection.dueMs = 0;
  EXPECT_EQ(waiter.Wait(now - kUnitsPerMs, -1, -1), WakeReason::SessionBus);
  connection.dueMs = 5000;
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  connection.dueMs = -1;
  ASSERT_EQ(write(bus.ends[1], "m", 1), 1);
  EXPECT_EQ(waiter.Wait(now + kHour, -1, -1), WakeReason::SessionBus);
  connection.descriptor = bus.ends[1];
  connection.asked = POLLOUT;
  EXPECT_EQ(waiter.Wait(now + kHour, -1, -1), WakeReason::SessionBus);
  connection.descriptor = -1;
  connection.dueMs = 0;
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  waiter.WatchConnection(WakeReason::SessionBus, nullptr);

  // An output with its reader ends the wait only once the reader is gone.
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  waiter.WatchOutput(output[1]);
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  close(output[0]);
  EXPECT_EQ(waiter.Wait(now + kHour, -1, -1), WakeReason::OutputGone);
  close(output[1]);
}

// What a bar that follows another wakes for: its line renamed into place (other files of the folder
// wake it but count for nothing), a write to the lock file, the lock let go.
TEST(PollWaiter, AFollowersFilesAndTheKeepersEndEndTheWaitAsThemselves) {
  ClockPacer realTime;
  PollWaiter waiter(realTime);
  TempFolder folder;
  folder.Write("owner.lock", "1\n");
  std::filesystem::create_directories(folder.path() / "old");
  FileChanges changes(folder.path() / "owner.lock");
  changes.WatchReplaced(folder.path() / "old" / "bar.line");
  changes.WatchReplaced(folder.path() / "bar.line");
  changes.WatchReplaced(folder.path() / "bar.line");  // the same folder keeps its watch
  changes.Read();                                     // the old watch's end
  waiter.WatchReadable(WakeReason::FileChanged, changes.fd());
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
  const auto renamedInto = [&](const std::string& name) {
    folder.Write("new", "line\n");
    ASSERT_EQ(std::rename((folder.path() / "new").c_str(), (folder.path() / name).c_str()), 0);
  };
  const struct {
    std::function<void()> change;
    bool wakes, replaced, written;
  } rows[] = {{[&] { renamedInto("other.line"); }, true, false, false},
              {[&] { renamedInto("bar.line"); }, true, true, false},
              {[&] { folder.Write("owner.lock", "2\n"); }, true, false, true},
              // The file replaced before is watched no more.
              {[&] { renamedInto("old/bar.line"); }, false, false, false}};
  for (const auto& row : rows) {
    row.change();
    EXPECT_EQ(waiter.Wait(std::nullopt, -1, row.wakes ? 5000 : 20),
              row.wakes ? WakeReason::FileChanged : WakeReason::Deadline);
    const FileChanges::Seen seen = changes.Read();
    EXPECT_EQ(seen.replaced, row.replaced);
    EXPECT_EQ(seen.written, row.written);
  }

  // The lock let go, by whichever process held it: the wait ends with the lock this one's.
  const int holder = open((folder.path() / "owner.lock").c_str(), O_RDWR | O_CLOEXEC);
  const int follower = open((folder.path() / "owner.lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  {
    const LockWait freed(follower);
    waiter.WatchReadable(WakeReason::LockFreed, freed.fd());
    EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
    close(holder);
    EXPECT_EQ(waiter.Wait(std::nullopt, -1, 5000), WakeReason::LockFreed);
    waiter.WatchReadable(WakeReason::LockFreed, -1);
  }
  EXPECT_EQ(flock(follower, LOCK_EX | LOCK_NB), 0);
  const int third = open((folder.path() / "owner.lock").c_str(), O_RDWR | O_CLOEXEC);
  EXPECT_NE(flock(third, LOCK_EX | LOCK_NB), 0);
  close(third);
  close(follower);
}

// A kernel message about a power supply: a header with its action, then SUBSYSTEM=power_supply
// among the fields.
TEST(PowerEvents, OnlyAKernelMessageOfThePowerSupplySubsystemCounts) {
  const auto message = [](const std::string& header, const std::vector<std::string>& fields) {
    std::string text = header;
    for (const std::string& field : fields) text += std::string(1, '\0') + field;
    return text + std::string(1, '\0');
  };
  const std::string ac = "change@/devices/LNXSYSTM:00/ACPI0003:00/power_supply/AC";
  const std::pair<std::string, bool> rows[] = {
      {message(ac, {"ACTION=change", "SUBSYSTEM=power_supply", "POWER_SUPPLY_ONLINE=1"}), true},
      {message("remove@/devices/LNXSYSTM:00/PNP0C0A:00/power_supply/BAT0",
               {"ACTION=remove", "SUBSYSTEM=power_supply"}),
       true},
      {message("change@/devices/virtual/net/eth0", {"SUBSYSTEM=net", "POWER_SUPPLY_ONLINE=1"}),
       false},
      {message(ac, {"SUBSYSTEM=power_supply_x"}), false},
      {message("libudev", {"SUBSYSTEM=power_supply", "POWER_SUPPLY_ONLINE=0"}), false},
      {"change@SUBSYSTEM=power_supply", false},
  };
  for (const auto& [text, counts] : rows) EXPECT_EQ(IsPowerSupplyMessage(text), counts) << text;
}

// What changes the line is read from the power source, never taken from a message: a plug or an
// unplug, a battery's charge leaving its band; a capacity alone does not.
TEST(PowerEvents, ThePowerSourceReadsWhetherTheChargerChangedAndOnlyTheKernelIsHeard) {
  FixedPowerSource power;
  const ScopedPowerSource installed(power);
  power.OnBattery(50);
  ChargerReadings readings;
  const std::pair<std::function<void()>, bool> rows[] = {
      {[&] { power.OnBattery(49); }, false}, {[&] { power.OnMains(49); }, true},    {[] {}, false},
      {[&] { power.OnBattery(20); }, true},  {[&] { power.OnBattery(19); }, false},
  };
  for (const auto& [change, changed] : rows) {
    change();
    EXPECT_EQ(readings.Changed(), changed);
  }

  // Any process may send to the kernel's uevent socket (root, on most systems): its messages are
  // read and count for nothing, whatever the supplies read.
  Outcome<std::unique_ptr<PowerEvents>> opened = OpenKernelPowerEvents();
  ASSERT_TRUE(opened.ok()) << opened.problem();
  const std::unique_ptr<PowerEvents> events = std::move(opened.value());
  sockaddr_nl listener{};
  socklen_t length = sizeof listener;
  ASSERT_EQ(getsockname(events->fd(), reinterpret_cast<sockaddr*>(&listener), &length), 0);
  const int sender = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  constexpr char kPlug[] = "change@/devices/power_supply/AC\0SUBSYSTEM=power_supply";
  const std::string plug(kPlug, sizeof kPlug);
  ASSERT_TRUE(IsPowerSupplyMessage(plug));
  sockaddr_nl to{AF_NETLINK, 0, listener.nl_pid, 0};
  const ssize_t sent =
      sendto(sender, plug.data(), plug.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
  close(sender);
  if (sent < 0) GTEST_SKIP() << "this user may not send uevents: " << std::strerror(errno);
  power.OnMains(80);
  ASSERT_TRUE(Readable(events->fd(), 1000));
  EXPECT_FALSE(events->ChargerChanged());
  EXPECT_FALSE(Readable(events->fd(), 0));
}

TEST(PollWaiter, ASignalCaughtBeforeTheWaitStillEndsIt) {
  const StopSignals signals;
  ClockPacer realTime;
  PollWaiter waiter(realTime);
  raise(SIGWINCH);
  EXPECT_EQ(waiter.Wait(CurrentClock().UtcNow() + kHour, -1, 5000), WakeReason::Signal);
  EXPECT_TRUE(StopSignals::ResizeRequested());
  // The wake-up was used up: the next wait lasts.
  EXPECT_EQ(waiter.Wait(std::nullopt, -1, 20), WakeReason::Deadline);
}

TEST(PollWaiter, OnASimulatedClockTheWaitIsShorterByTheSpeedAndTheClockCatchesUp) {
  SimulatedClock clock(Utc(2024, 3, 9, 10, 0), 60);
  const ScopedClock clockGuard(clock);
  ClockPacer pacer(clock, 3600.0);
  PollWaiter waiter(pacer);
  const ULONGLONG deadline = clock.UtcNow() + 36'000 * kUnitsPerMs;  // 10 ms of real time
  EXPECT_EQ(waiter.Wait(deadline, -1, 5000), WakeReason::Deadline);
  EXPECT_GE(clock.UtcNow(), deadline);
  EXPECT_LT(clock.UtcNow(), deadline + kHour);
}

TEST(ClockPacerTest, SimulatedClockRunsFasterAndTheWaitShrinksWithIt) {
  SimulatedClock clock(Utc(2024, 1, 1, 10, 0), 0);
  const ULONGLONG start = clock.UtcNow();
  std::chrono::steady_clock::time_point steady{};
  ClockPacer pacer(clock, 60.0, [&] { return steady; });

  steady += std::chrono::milliseconds(1500);
  pacer.CatchUp();
  EXPECT_EQ(clock.UtcNow(), start + 90'000 * kUnitsPerMs);
  // A deadline a simulated minute away is a real second away.
  EXPECT_EQ(pacer.PollTimeoutMs(clock.UtcNow() + 60'000 * kUnitsPerMs, clock.UtcNow(), 5000), 1000);
  EXPECT_EQ(pacer.PollTimeoutMs(clock.UtcNow() + 3'600'000 * kUnitsPerMs, clock.UtcNow(), 1000),
            1000);
  EXPECT_EQ(pacer.PollTimeoutMs(clock.UtcNow(), clock.UtcNow(), 1000), 0);
  EXPECT_EQ(pacer.PollTimeoutMs(std::nullopt, clock.UtcNow(), 1000), 1000);

  EXPECT_EQ(ClockPacer().PollTimeoutMs(2 * kUnitsPerMs + 1, 0, 1000), 3);
}

}  // namespace
