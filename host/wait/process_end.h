// The end of another process as a descriptor that poll() sees readable once the process has ended
// (a pidfd, Linux 5.3 and later): waiting for it costs no wake-up while the process runs.
#pragma once

#include <sys/types.h>

#include <memory>

class ProcessEnd {
 public:
  // nullptr, with errno's value in `error`: ESRCH when the process has ended already, another
  // value when the system gives no pidfd.
  static std::unique_ptr<ProcessEnd> Open(pid_t pid, int& error);
  ~ProcessEnd();
  ProcessEnd(const ProcessEnd&) = delete;
  ProcessEnd& operator=(const ProcessEnd&) = delete;

  pid_t pid() const { return pid_; }
  int fd() const { return fd_; }

 private:
  ProcessEnd(pid_t pid, int fd) : pid_(pid), fd_(fd) {}

  pid_t pid_;
  int fd_;
};
