#include "host/wait/lock_wait.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "host/hosting/host_error.h"

namespace {

// Blocks until the lock is the open file's, then makes `wake` readable; closes both descriptors.
void TakeLock(int lock, int wake) {
  int taken;
  do {
    taken = flock(lock, LOCK_EX);
  } while (taken != 0 && errno == EINTR);
  if (taken == 0) {
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake, &one, sizeof one);
  }
  close(lock);
  close(wake);
}

[[noreturn]] void Fail(const std::string& cause) {
  throw HostError("cannot wait for the lock to be free: " + cause);
}

}  // namespace

LockWait::LockWait(int lockFd) : fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) Fail(std::strerror(errno));
  // The thread's own descriptors: this object's may be closed, and their numbers reused, first.
  const int lock = fcntl(lockFd, F_DUPFD_CLOEXEC, 0);
  const int wake = lock < 0 ? -1 : fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (wake < 0) {
    const int error = errno;
    if (lock >= 0) close(lock);
    close(fd_);
    Fail(std::strerror(error));
  }
  // Signals stay the main thread's: they end its waits, and interrupt a write that blocks.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  try {
    std::thread(TakeLock, lock, wake).detach();
  } catch (const std::system_error& failure) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(lock);
    close(wake);
    close(fd_);
    Fail(failure.what());
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

LockWait::~LockWait() { close(fd_); }
