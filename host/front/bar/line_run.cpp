#include "host/front/bar/line_run.h"

#include <unistd.h>

#include <iostream>
#include <memory>

#include "host/front/bar/bar_follower.h"
#include "host/front/bar/bar_loop.h"
#include "host/estimate/full_charge_watch.h"
#include "host/estimate/line_warnings.h"
#include "host/notify/battery_notifications.h"
#include "host/notify/systemd_library.h"
#include "host/wait/poll_waiter.h"
#include "host/wait/stop_signals.h"

namespace {

// Whether the keeper publishes its line, as far as is known: one that has not written itself into
// the lock file yet is taken to, and the follower finds out once it has.
bool KeeperPublishes(const HomeLock& lock) {
  return lock.opened() && (!lock.holder() || lock.holder()->publishes);
}

// Lines go out as whole lines, each at once; a reader that went away ends the run.
bool WriteBarLine(const std::string& line) {
  std::cout << line << '\n' << std::flush;
  return std::cout.good();
}

BarFollower::Lock FollowedLock(HomeLock& lock) {
  return {
      lock.file(), [&lock] { return lock.TakeOverIfFree(); },
      [&lock]() -> std::optional<BarFollower::Keeper> {
        const std::optional<HomeLock::Holder>& holder = lock.ReadHolder();
        if (!holder) return std::nullopt;
        // A keeper of an older version did not say where: where this host would publish.
        return BarFollower::Keeper{holder->publishes, holder->lineFile.value_or(lock.LineFile())};
      }};
}

// systemd hears when the service is ready (its first line shown) and when it stops.
class ServiceState {
 public:
  explicit ServiceState(bool service) {
    if (!service) return;
    const Outcome<const SystemdLibrary*> systemd = Systemd();
    if (!systemd.ok()) Say("cannot tell systemd the service's state: " + systemd.problem());
    systemd_ = systemd.ok() ? systemd.value() : nullptr;
  }
  ~ServiceState() {
    if (systemd_ != nullptr) systemd_->notify(0, "STOPPING=1");
  }
  ServiceState(const ServiceState&) = delete;
  ServiceState& operator=(const ServiceState&) = delete;

  void LineShown() {
    if (systemd_ != nullptr && !ready_) ready_ = systemd_->notify(0, "READY=1") >= 0;
  }

 private:
  const SystemdLibrary* systemd_ = nullptr;
  bool ready_ = false;
};

// What decides the warnings from each changed line and its figures and hands them to the
// notifications.
BarLoop::FiguresObserver WarningsFromLines(BatteryNotifications& notifications,
                                           WarningLevels levels) {
  auto warnings = std::make_shared<LineWarnings>(std::move(levels));
  return [&notifications, warnings](const std::string& text, const EstimateView& view) {
    if (const std::optional<LineWarning> warning = warnings->Observe(text, view))
      notifications.Deliver(*warning);
  };
}

// What decides the notice that the battery is charged from every line's reading and hands it to the
// notifications.
BarLoop::PowerObserver FullChargeFromReadings(BatteryNotifications& notifications) {
  auto watch = std::make_shared<FullChargeWatch>();
  return [&notifications, watch](const std::optional<SYSTEM_POWER_STATUS_EX2>& status,
                                 const std::optional<ChargeEnd>& end) {
    if (const std::optional<FullChargeChange> change = watch->Observe(status, end))
      notifications.Deliver(*change);
  };
}

}  // namespace

std::string NoticeBeside(bool publishes, const HomeLock& lock) {
  return publishes && KeeperPublishes(lock) ? lock.FollowerNotice() : lock.ViewerNotice();
}

void RunLines(LineRun& run) {
  HomeLock& lock = run.lock;
  PollWaiter waiter(run.pacer);
  if (!run.output.service) waiter.WatchOutput(STDOUT_FILENO);
  waiter.WatchPowerEvents(run.events);
  const BarFormat format = run.output.format;
  const BarLoop::Output output =
      run.output.service ? BarLoop::Output([](const std::string&) { return true; }) : WriteBarLine;
  // The keeper's warnings, started once this run keeps the files.
  std::optional<BatteryNotifications> warnings;
  BarLoop::FiguresObserver warn;
  std::optional<CriticalActionWatch> critical;
  BarLoop::PowerObserver charged;
  ServiceState service(run.output.service);
  const auto onLine = [&service](const std::string&) { service.LineShown(); };
  // The keeper's end, whoever it was, wakes a viewer or follower with the lock its own.
  if (lock.opened() && !lock.owned()) waiter.WatchReadable(WakeReason::LockFreed, lock.FreedFd());
  bool follows = !lock.owned() && KeeperPublishes(lock);
  for (;;) {
    BarEnd end;
    if (follows && !lock.owned()) {
      BarFollower follower(FollowedLock(lock), waiter, format, output, StopSignals::StopRequested,
                           Say);
      follower.OnLine(onLine);
      end = follower.Run();
      if (end == BarEnd::CannotFollow) {
        follows = false;
        Say(lock.ViewerNotice());
        continue;
      }
    } else {
      if (lock.owned() && !warnings) {
        warnings.emplace(Say);
        warnings->Start();
        warn = WarningsFromLines(*warnings, run.thresholds);
        if (run.notifyFull) charged = FullChargeFromReadings(*warnings);
        waiter.WatchConnection(WakeReason::SessionBus, &warnings->connection());
        if (run.criticalAction)
          critical.emplace(*run.criticalAction, *warnings, [&run] { run.session->Save(); });
      }
      std::optional<LinePublisher> publisher;
      BarLoop loop(*run.session, waiter, format, output, StopSignals::StopRequested,
                   [&lock] { return lock.TakeOverIfFree(); });
      if (lock.owned()) {
        loop.PublishTo(publisher.emplace(lock.LineFile(), Say));
        if (run.publishingNote) Say(*run.publishingNote);
      }
      loop.SetCriticalLevel(CriticalLevel(run.thresholds.percents));
      loop.SetTextFormat(run.textFormat);
      loop.OnLine(onLine);
      // The service belongs to the desktop session whose bus it reached: once that bus is gone it
      // ends, so that the next session's service takes the files over. A bar carries on.
      loop.OnSessionBus([&warnings, &run] { return warnings->Serve() || !run.output.service; });
      if (warn) loop.OnFigures(warn);
      if (critical) {
        loop.OnReading([&critical](const std::string& line) { critical->Observe(line); });
        loop.RefreshAt([&critical] { return critical->ReadingDue(); });
      }
      if (charged) loop.OnPowerReading(charged);
      end = loop.Run();
    }
    if (end == BarEnd::BusGone)
      Say("the session bus closed (the desktop session ended): saving and ending, so that the "
          "next session's service takes over");
    if (end != BarEnd::TookOver) break;
    waiter.WatchReadable(WakeReason::LockFreed, -1);
    run.takeOverFiles();
    run.messages.Note(lock.TakeOverNotice());
  }
}
