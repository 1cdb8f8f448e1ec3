#include "host/wait/poll_waiter.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "host/wait/stop_signals.h"
#include "platform/time/clock.h"

PollWaiter::PollWaiter(ClockPacer& pacer) : pacer_(pacer) {
  if (!pacer_.simulated()) timer_.emplace();
}

int PollWaiter::TimeoutFor(std::optional<ULONGLONG> deadline, int maxWaitMs) {
  timerArmed_ = false;
  if (!deadline) return maxWaitMs;
  if (pacer_.simulated()) {
    return pacer_.PollTimeoutMs(deadline, CurrentClock().UtcNow(),
                                maxWaitMs < 0 ? INT_MAX : maxWaitMs);
  }
  timerArmed_ = timer_->ArmAt(*deadline);
  // Without the timer the deadline still ends the wait, only not across a sleep or a clock change.
  if (!timerArmed_)
    return pacer_.PollTimeoutMs(deadline, CurrentClock().UtcNow(),
                                maxWaitMs < 0 ? INT_MAX : maxWaitMs);
  return maxWaitMs;
}

void PollWaiter::WatchReadable(WakeReason reason, int fd) {
  std::erase_if(readable_, [reason](const std::pair<WakeReason, int>& watched) {
    return watched.first == reason;
  });
  if (fd >= 0) readable_.emplace_back(reason, fd);
}

void PollWaiter::WatchPowerEvents(PowerEvents* events) {
  powerEvents_ = events;
  WatchReadable(WakeReason::PowerEvent, events != nullptr ? events->fd() : -1);
}

WakeReason PollWaiter::Wait(std::optional<ULONGLONG> deadline, int inputFd, int maxWaitMs) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  for (;;) {
    int leftMs = maxWaitMs;
    if (maxWaitMs >= 0) {
      const auto waited =
          std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      leftMs = static_cast<int>(std::max<long long>(0, maxWaitMs - waited));
    }
    const WakeReason woken = WaitOnce(deadline, inputFd, leftMs);
    // The events are read at the wake they cause, whoever waits, or every later wait would end at
    // once; events that change nothing end no wait.
    if (woken != WakeReason::PowerEvent || powerEvents_ == nullptr ||
        powerEvents_->ChargerChanged())
      return woken;
  }
}

WakeReason PollWaiter::WaitOnce(std::optional<ULONGLONG> deadline, int inputFd, int maxWaitMs) {
  int timeout = TimeoutFor(deadline, maxWaitMs);
  const int connectionFd = connection_ != nullptr ? connection_->fd() : -1;
  const int connectionDueMs = connectionFd >= 0 ? connection_->msUntilDue() : -1;
  const bool connectionDueFirst =
      connectionDueMs >= 0 && (timeout < 0 || connectionDueMs <= timeout);
  if (connectionDueFirst) timeout = connectionDueMs;
  std::vector<pollfd> fds(5 + readable_.size());
  nfds_t count = 0;
  const int signalFd = StopSignals::WakeFd();
  if (signalFd >= 0) fds[count++] = {signalFd, POLLIN, 0};
  if (timerArmed_) fds[count++] = {timer_->fd(), POLLIN, 0};
  if (inputFd >= 0) fds[count++] = {inputFd, POLLIN, 0};
  // No events asked: poll reports only POLLERR, POLLHUP and POLLNVAL for it.
  if (outputFd_ >= 0) fds[count++] = {outputFd_, 0, 0};
  for (const auto& [reason, fd] : readable_) fds[count++] = {fd, POLLIN, 0};
  if (connectionFd >= 0) fds[count++] = {connectionFd, connection_->events(), 0};

  const int ready = timeout == 0 ? 0 : poll(fds.data(), count, timeout);
  pacer_.CatchUp();
  if (ready < 0) return errno == EINTR ? WakeReason::Signal : WakeReason::Deadline;
  if (ready == 0) return connectionDueFirst ? connectionReason_ : WakeReason::Deadline;
  for (nfds_t i = 0; i < count; ++i) {
    if (fds[i].revents == 0) continue;
    if (fds[i].fd == outputFd_) return WakeReason::OutputGone;
    if (fds[i].fd == connectionFd) return connectionReason_;
    for (const auto& [reason, fd] : readable_) {
      if (fds[i].fd == fd) return reason;
    }
    if (fds[i].fd == signalFd) {
      StopSignals::Drain();
      return WakeReason::Signal;
    }
    if (timerArmed_ && fds[i].fd == timer_->fd()) {
      return timer_->Read() == WallClockTimer::Expiry::ClockSet ? WakeReason::ClockSet
                                                                : WakeReason::Deadline;
    }
  }
  return WakeReason::Input;
}
