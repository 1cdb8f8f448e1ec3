// The host across a sleeping machine and a clock that is set: the status-bar loop with the built
// plug-in on the simulated clock, its waits played by a script that jumps the clock instead of
// sleeping.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <nlohmann/json.hpp>

#include "host/hosting/activation/class_id.h"
#include "host/hosting/activation/module_activation.h"
#include "host/front/bar/bar_loop.h"
#include "host/hosting/home_screen_session.h"
#include "host/front/terminal/event_loop.h"
#include "tests/fakes/simulated_device_test.h"
#include "tests/fakes/temp_folder.h"
#include "tests/fakes/time_builders.h"
#include "tests/fakes/home_screen_text.h"

namespace {

constexpr ULONGLONG kUnitsPerMs = 10'000;

const std::filesystem::path kBuiltModule = std::filesystem::canonical(ZELVARPLUG_FILE);

ULONGLONG FileTime(const SYSTEMTIME& utc) {
  FILETIME time{};
  SystemTimeToFileTime(&utc, &time);
  return static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

// Each wait is the next step of the script: it moves the clock and says what ended the wait. The
// loop is told to stop once the script is played out.
class ScriptedWaiter final : public Waiter {
 public:
  using Step = std::function<WakeReason(std::optional<ULONGLONG> deadline)>;
  struct Call {
    std::optional<ULONGLONG> deadline;
    ULONGLONG at;  // the clock when the loop began to wait
  };

  ScriptedWaiter(SimulatedClock& clock, std::vector<Step> steps)
      : clock_(clock), steps_(std::move(steps)) {}

  WakeReason Wait(std::optional<ULONGLONG> deadline, int, int) override {
    calls.push_back({deadline, clock_.UtcNow()});
    return steps_.at(calls.size() - 1)(deadline);
  }
  bool PlayedOut() const { return calls.size() >= steps_.size(); }

  std::vector<Call> calls;

 private:
  SimulatedClock& clock_;
  std::vector<Step> steps_;
};

class HostClockJumpTest : public SimulatedDeviceTest<> {
 protected:
  HostClockJumpTest() : SimulatedDeviceTest(Utc(2024, 3, 5, 10, 5, 0)) {
    power_.OnBattery(80);
    folder_.Write("home.xml", HomeScreenWith());
    EnsureRegistered(kBatteryPluginClassId, kBuiltModule, Registration::IfMissing);
  }

  // The time passes as the deadline comes.
  ScriptedWaiter::Step UntilDeadline() {
    return [this](std::optional<ULONGLONG> deadline) {
      clock_.SetUtcFileTime(*deadline);
      return WakeReason::Deadline;
    };
  }
  // The machine sleeps past the deadline and wakes at `utc`, the battery at `percent`: the
  // wall-clock timer fires on waking.
  ScriptedWaiter::Step SleepUntil(const SYSTEMTIME& utc, BYTE percent) {
    return [this, utc, percent](std::optional<ULONGLONG>) {
      power_.OnBattery(percent);
      clock_.SetUtc(utc);
      return WakeReason::Deadline;
    };
  }
  ScriptedWaiter::Step ClockSetTo(const SYSTEMTIME& utc) {
    return [this, utc](std::optional<ULONGLONG>) {
      clock_.SetUtc(utc);
      return WakeReason::ClockSet;
    };
  }

  // The charger is plugged in and the kernel says so; no time passes.
  ScriptedWaiter::Step Plugged() {
    return [this](std::optional<ULONGLONG>) {
      power_.OnMains(80);
      return WakeReason::PowerEvent;
    };
  }
  // A wake-up before the deadline, no time passing.
  static ScriptedWaiter::Step Spurious() {
    return [](std::optional<ULONGLONG>) { return WakeReason::Deadline; };
  }
  // The process was continued after a stop.
  static ScriptedWaiter::Step Continued() {
    return [](std::optional<ULONGLONG>) {
      raise(SIGCONT);
      return WakeReason::Signal;
    };
  }
  // The input closes: the terminal screen ends.
  static ScriptedWaiter::Step InputClosed() {
    return [](std::optional<ULONGLONG>) { return WakeReason::Input; };
  }

  // Runs the terminal screen with the script, its input from /dev/null and its frames into a file;
  // answers what it wrote.
  std::string RunScreen(ScriptedWaiter& waiter) {
    const int savedIn = dup(STDIN_FILENO);
    const int savedOut = dup(STDOUT_FILENO);
    const std::string screenFile = (folder_.path() / "screen").string();
    dup2(open("/dev/null", O_RDONLY | O_CLOEXEC), STDIN_FILENO);
    dup2(open(screenFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600), STDOUT_FILENO);
    {
      HomeScreenSession session({folder_.path() / "home.xml", folder_.path() / "plugin.stream"},
                                ActivatePlugin(kBatteryPluginClassId));
      const RawTerminal terminal;  // not a terminal: frames are written as they are
      EventLoop(session, terminal, waiter, "battery").Run();
      session.Close();
    }
    dup2(savedIn, STDIN_FILENO);
    dup2(savedOut, STDOUT_FILENO);
    close(savedIn);
    close(savedOut);
    return folder_.Read("screen");
  }

  // Runs the bar loop with the script, then stops the plug-in as the host does; answers the lines.
  std::vector<std::string> Run(ScriptedWaiter& waiter, BarFormat format = BarFormat::Text) {
    std::vector<std::string> lines;
    {
      HomeScreenSession session({folder_.path() / "home.xml", folder_.path() / "plugin.stream"},
                                ActivatePlugin(kBatteryPluginClassId));
      BarLoop loop(
          session, waiter, format,
          [&](const std::string& line) {
            lines.push_back(line);
            return true;
          },
          [&] { return waiter.PlayedOut(); });
      loop.Run();
      session.Close();
    }
    return lines;
  }
};

TEST_F(HostClockJumpTest, AfterASleepTheDueTimerComesAtOnceAndTheSampleIsFiledUnderItsHour) {
  ScriptedWaiter waiter(
      clock_, {SleepUntil(Utc(2024, 3, 5, 14, 58, 30), 70), UntilDeadline(), UntilDeadline()});
  const std::vector<std::string> lines = Run(waiter);

  ASSERT_EQ(waiter.calls.size(), 3u);
  // Started at 10:05:00 UTC, the first refresh at once, the next asked for ten minutes later.
  EXPECT_EQ(waiter.calls[0].deadline, FileTime(Utc(2024, 3, 5, 10, 15, 0)));
  // Woken at 14:58:30, the loop answered the overdue timer without waiting again: the plug-in
  // refreshed then and asked for the top of the hour.
  EXPECT_EQ(waiter.calls[1].at, FileTime(Utc(2024, 3, 5, 14, 58, 30)));
  EXPECT_EQ(waiter.calls[1].deadline, FileTime(Utc(2024, 3, 5, 15, 0, 0)));
  EXPECT_EQ(waiter.calls[2].deadline, FileTime(Utc(2024, 3, 5, 15, 10, 0)));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 4), "80%,");
  EXPECT_EQ(lines[1].substr(0, 4), "70%,");

  // The drop of the sleep, 10 points, was sampled on waking, filed under the first hour after the
  // start (11:00 UTC, 12 local); the top of the hour after waking filed one of 0 points under the
  // hour of waking (15 local), which does not follow 12: a record of its own.
  EXPECT_EQ(folder_.Read("Storage/My Documents/ZelvarPlugin.dat"),
            "[version 1]\n2024.3.5.12:10\n2024.3.5.15:0\n");
}

TEST_F(HostClockJumpTest, AClockSetBackWaitsNoLongerThanAskedAndOneSetForwardDeliversAtOnce) {
  ScriptedWaiter waiter(clock_, {ClockSetTo(Utc(2024, 3, 5, 8, 6, 0)), UntilDeadline(),
                                 ClockSetTo(Utc(2024, 3, 5, 12, 30, 0)), UntilDeadline()});
  Run(waiter);

  ASSERT_EQ(waiter.calls.size(), 4u);
  EXPECT_EQ(waiter.calls[0].deadline, FileTime(Utc(2024, 3, 5, 10, 15, 0)));
  // Set back two hours: the ten-minute request is ten minutes from the new time, not 2 h 9 min.
  EXPECT_EQ(waiter.calls[1].at, FileTime(Utc(2024, 3, 5, 8, 6, 0)));
  EXPECT_EQ(waiter.calls[1].deadline, FileTime(Utc(2024, 3, 5, 8, 16, 0)));
  EXPECT_EQ(waiter.calls[2].deadline, FileTime(Utc(2024, 3, 5, 8, 26, 0)));
  // Set forward past that deadline: the timer is answered at once, the next request made from
  // 12:30.
  EXPECT_EQ(waiter.calls[3].at, FileTime(Utc(2024, 3, 5, 12, 30, 0)));
  EXPECT_EQ(waiter.calls[3].deadline, FileTime(Utc(2024, 3, 5, 12, 40, 0)));
}

TEST_F(HostClockJumpTest, AJsonLineShowsThePaintsReadingAndReadsThePowerNoMoreThanATextLine) {
  // Woken by a signal: no timer is due, and the line painted last is up to date.
  const ScriptedWaiter::Step signal = [](std::optional<ULONGLONG>) { return WakeReason::Signal; };
  ScriptedWaiter text(clock_, {UntilDeadline(), signal, UntilDeadline()});
  Run(text);
  const int textReads = power_.reads;

  // Drain measured for the local hours 0 to 11 of two days alike: no longer learning.
  folder_.Write(
      "Storage/My Documents/ZelvarPlugin.dat",
      "[version 1]\n2024.3.4.0:1,1,1,1,1,1,1,1,1,1,1,1\n2024.3.5.0:1,1,1,1,1,1,1,1,1,1,1,1\n");
  clock_.SetUtc(Utc(2024, 3, 5, 10, 5, 0));
  power_.reads = 0;
  ScriptedWaiter json(clock_, {UntilDeadline(), signal, UntilDeadline()});
  const std::vector<std::string> lines = Run(json, BarFormat::Json);
  EXPECT_EQ(power_.reads, textReads);

  ASSERT_FALSE(lines.empty());
  const nlohmann::json line = nlohmann::json::parse(lines[0]);
  EXPECT_EQ(line.at("class"), "discharging");
  const std::string tooltip = line.at("tooltip");
  // No drop yet: the plug-in's statistics alone give the hours to show.
  EXPECT_EQ(tooltip.substr(0, tooltip.find('\n')), "About 164.0 h left at this time of day");
  EXPECT_NE(tooltip.find("\nCharge 80%, on battery\n"), std::string::npos) << tooltip;
  // Then the day's drain: hours 0 to 11 alike, the last of them the hour now (11:00 local time).
  const size_t day = tooltip.find("(last 30 days)\nDrain by hour from 0:00: \u2588");
  EXPECT_LT(day, tooltip.find("[\u2588]\u00B7")) << tooltip;
  EXPECT_NE(tooltip.find("\nBatteryLifePercent: 80%\n"), std::string::npos) << tooltip;
}

// The screen's clock shows minutes: idle, it sleeps until the next minute or the plug-in's next
// timer, whichever comes first; a clock with seconds would wake it sixty times as often.
TEST_F(HostClockJumpTest, TheTerminalScreenWakesEachMinuteAndForThePluginsTimersOnly) {
  std::vector<ScriptedWaiter::Step> steps(66, UntilDeadline());
  steps.push_back(InputClosed());
  ScriptedWaiter waiter(clock_, steps);
  const std::string screen = RunScreen(waiter);

  ASSERT_EQ(waiter.calls.size(), 67u);
  constexpr ULONGLONG kMinute = 60'000 * kUnitsPerMs;
  for (const ScriptedWaiter::Call& call : waiter.calls) {
    EXPECT_GT(*call.deadline, call.at);
    EXPECT_LE(*call.deadline, (call.at / kMinute + 1) * kMinute);
  }
  // An hour from 10:05:00 UTC: 60 changes of minute and the plug-in's refreshes, a second after
  // the start and then every ten minutes.
  EXPECT_EQ(waiter.calls.back().at, FileTime(Utc(2024, 3, 5, 11, 5, 0)));
  EXPECT_NE(screen.find("Zelvar home  2024-03-05 11:05  battery"), std::string::npos);
  EXPECT_NE(screen.find("Zelvar home  2024-03-05 12:04  battery"), std::string::npos);
  EXPECT_NE(screen.find("80%, hrs: "), std::string::npos);
}

// Others may have written on the terminal while the screen was stopped: continued, it paints the
// whole frame again, though nothing in it changed.
TEST_F(HostClockJumpTest, AContinuedTerminalScreenPaintsItsFrameAgain) {
  ScriptedWaiter waiter(clock_, {Continued(), InputClosed()});
  const std::string screen = RunScreen(waiter);
  const std::string title = "Zelvar home  2024-03-05 11:05  battery";
  ASSERT_NE(screen.find(title), std::string::npos) << screen;
  EXPECT_NE(screen.find(title, screen.find(title) + 1), std::string::npos) << screen;
}

// A plug shows at once: the kernel's event makes the loop ask the plug-in to refresh, without
// waiting for its timer ten minutes on.
TEST_F(HostClockJumpTest, AChargerEventRefreshesTheLineAtOnce) {
  ScriptedWaiter waiter(clock_, {Plugged(), Spurious()});
  const std::vector<std::string> lines = Run(waiter);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 4), "80%,");
  EXPECT_NE(lines[1], lines[0]);
  EXPECT_EQ(waiter.calls[1].at, waiter.calls[0].at);
}

}  // namespace
