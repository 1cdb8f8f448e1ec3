#include "host/wait/wall_clock_timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "host/hosting/host_error.h"

namespace {

// File time of 1970-01-01 00:00 UTC, where the machine's real-time clock counts from.
constexpr ULONGLONG kUnixEpochFileTime = 116'444'736'000'000'000;
constexpr ULONGLONG kUnitsPerSecond = 10'000'000;

timespec UnixTimeOf(ULONGLONG utcFileTime) {
  // Instants before 1970 are in the past on any running machine: the earliest one fires at once.
  const ULONGLONG sinceEpoch =
      utcFileTime > kUnixEpochFileTime ? utcFileTime - kUnixEpochFileTime : 1;
  timespec time{};
  time.tv_sec = static_cast<time_t>(sinceEpoch / kUnitsPerSecond);
  time.tv_nsec = static_cast<long>(sinceEpoch % kUnitsPerSecond * 100);
  return time;
}

}  // namespace

WallClockTimer::WallClockTimer() : fd_(timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC)) {
  if (fd_ < 0)
    throw HostError(std::string("cannot create a wall-clock timer: ") + std::strerror(errno));
}

WallClockTimer::~WallClockTimer() { close(fd_); }

bool WallClockTimer::ArmAt(ULONGLONG utcFileTime) {
  itimerspec setting{};
  setting.it_value = UnixTimeOf(utcFileTime);
  return timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &setting, nullptr) == 0;
}

WallClockTimer::Expiry WallClockTimer::Read() {
  std::uint64_t expirations = 0;
  if (::read(fd_, &expirations, sizeof expirations) == sizeof expirations) return Expiry::Fired;
  return errno == ECANCELED ? Expiry::ClockSet : Expiry::None;
}
