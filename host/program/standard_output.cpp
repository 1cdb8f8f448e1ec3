#include "host/program/standard_output.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

// 0 while every write went out.
int firstFailure = 0;

}  // namespace

void GuardStandardStreams() {
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
    if (fcntl(stream, F_GETFD) >= 0 || errno != EBADF) continue;
    const int opened = open("/dev/null", O_RDONLY);
    if (opened >= 0 && opened != stream) {
      dup2(opened, stream);
      close(opened);
    }
  }
}

void CheckStandardOutput() {
  // errno still holds the cause of a failure during the write just made, or gets the flush's.
  std::cout.flush();
  if (!std::cout && firstFailure == 0) firstFailure = errno != 0 ? errno : EIO;
}

std::optional<std::string> StandardOutputFailure() {
  CheckStandardOutput();
  if (firstFailure == 0) return std::nullopt;
  return std::string("cannot write to standard output: ") + std::strerror(firstFailure);
}
