#include "host/wait/stop_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iterator>

namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1, SIGUSR2, SIGALRM};

static_assert(std::atomic<bool>::is_always_lock_free, "flags are set from signal handlers");
std::atomic<bool> stopRequested{false};
std::atomic<bool> resizeRequested{false};
std::atomic<bool> suspendRequested{false};
std::atomic<bool> continued{false};
// Both ends non-blocking: a full pipe already wakes the waiter, so the handler may drop its byte.
int wakePipe[2] = {-1, -1};

void Wake() {
  const int saved = errno;
  const char byte = 0;
  [[maybe_unused]] const ssize_t ignored = ::write(wakePipe[1], &byte, 1);
  errno = saved;
}

// Each signal's handler sets its flag and wakes the waiter.
template <std::atomic<bool>* flag>
void SetFlagAndWake(int) {
  *flag = true;
  Wake();
}

struct PreviousHandlers {
  struct sigaction stop[std::size(kStopSignals)];
  struct sigaction resize;
  struct sigaction suspend;
  struct sigaction resume;
  struct sigaction brokenPipe;
};
PreviousHandlers previousHandlers;
bool live = false;

void Catch(int signal, void (*handler)(int), struct sigaction* previous) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking call returns with EINTR
  sigaction(signal, &action, previous);
}

bool OpenWakePipe() {
  if (pipe2(wakePipe, O_NONBLOCK | O_CLOEXEC) == 0) return true;
  wakePipe[0] = wakePipe[1] = -1;
  return false;
}

void CloseWakePipe() {
  for (int& end : wakePipe) {
    if (end >= 0) close(end);
    end = -1;
  }
}

}  // namespace

StopSignals::StopSignals(Suspend suspend) : owner_(!live), suspend_(suspend) {
  if (!owner_) return;
  live = true;
  OpenWakePipe();
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    Catch(kStopSignals[i], SetFlagAndWake<&stopRequested>, &previousHandlers.stop[i]);
  Catch(SIGWINCH, SetFlagAndWake<&resizeRequested>, &previousHandlers.resize);
  if (suspend_ == Suspend::Caught) {
    Catch(SIGTSTP, SetFlagAndWake<&suspendRequested>, &previousHandlers.suspend);
    Catch(SIGCONT, SetFlagAndWake<&continued>, &previousHandlers.resume);
  }
  Catch(SIGPIPE, SIG_IGN, &previousHandlers.brokenPipe);
}

StopSignals::~StopSignals() {
  if (!owner_) return;
  for (size_t i = 0; i < std::size(kStopSignals); ++i)
    sigaction(kStopSignals[i], &previousHandlers.stop[i], nullptr);
  sigaction(SIGWINCH, &previousHandlers.resize, nullptr);
  if (suspend_ == Suspend::Caught) {
    sigaction(SIGTSTP, &previousHandlers.suspend, nullptr);
    sigaction(SIGCONT, &previousHandlers.resume, nullptr);
  }
  sigaction(SIGPIPE, &previousHandlers.brokenPipe, nullptr);
  CloseWakePipe();
  live = false;
}

bool StopSignals::StopRequested() { return stopRequested; }

bool StopSignals::ResizeRequested() { return resizeRequested.exchange(false); }

bool StopSignals::SuspendRequested() { return suspendRequested.exchange(false); }

bool StopSignals::Continued() { return continued.exchange(false); }

int StopSignals::WakeFd() { return wakePipe[0]; }

void StopSignals::Drain() {
  if (wakePipe[0] < 0) return;
  char bytes[64];
  while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {
  }
}
