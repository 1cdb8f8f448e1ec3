#include "host/wait/process_end.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

std::unique_ptr<ProcessEnd> ProcessEnd::Open(pid_t pid, int& error) {
  const long fd = syscall(SYS_pidfd_open, pid, 0);
  if (fd < 0) {
    error = errno;
    return nullptr;
  }
  return std::unique_ptr<ProcessEnd>(new ProcessEnd(pid, static_cast<int>(fd)));
}

ProcessEnd::~ProcessEnd() { close(fd_); }
