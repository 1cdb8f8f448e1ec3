#include "platform/files/bounded_lock.h"

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

bool LockWithin(int descriptor, std::chrono::milliseconds limit) {
  using Clock = std::chrono::steady_clock;
  constexpr Clock::duration kRetry = std::chrono::milliseconds(50);
  const Clock::time_point deadline = Clock::now() + limit;
  while (true) {
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(std::min(kRetry, deadline - now));
  }
}

pid_t FlockHolder(int descriptor) {
  struct stat file {};
  if (::fstat(descriptor, &file) != 0) return 0;
  // The file as the list names it: the device's numbers in hex, then the inode.
  char named[64];
  std::snprintf(named, sizeof named, "%02x:%02x:%llu", major(file.st_dev), minor(file.st_dev),
                static_cast<unsigned long long>(file.st_ino));
  // "1: FLOCK  ADVISORY  WRITE 4711 fe:00:10961070 0 EOF"; a process waiting for the lock is
  // listed as "1: -> FLOCK ...".
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, mode, access, where;
    long pid = 0;
    if (!(fields >> number >> kind >> mode >> access >> pid >> where) || kind != "FLOCK") continue;
    if (pid > 0 && where == named) return static_cast<pid_t>(pid);
  }
  return 0;
}
