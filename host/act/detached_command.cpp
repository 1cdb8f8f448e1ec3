#include "host/act/detached_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string CannotRun(const std::string& shell, int errorNumber) {
  std::string text = "cannot run ";
  text += shell;
  text += ": ";
  text += std::strerror(errorNumber);
  return text;
}

// In the command's process before the shell replaces it: only calls that are safe after fork.
[[noreturn]] void BecomeShell(char* const arguments[], int report) {
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // Ignored signals stay ignored across exec: a command that writes to a closed pipe must end.
  for (int signal = 1; signal < NSIG; ++signal) ::signal(signal, SIG_DFL);
  const int empty = open("/dev/null", O_RDONLY);
  if (empty >= 0) dup2(empty, STDIN_FILENO);
  dup2(STDERR_FILENO, STDOUT_FILENO);
  // The report's descriptor closes itself at exec, with the shell started.
  close_range(STDERR_FILENO + 1, report - 1, 0);
  close_range(report + 1, ~0U, 0);
  execv(arguments[0], arguments);
  const int failed = errno;
  [[maybe_unused]] const ssize_t written = write(report, &failed, sizeof failed);
  _exit(127);
}

// The error number the starting process reported, 0 when the shell runs (the report closed
// without one), ETIMEDOUT (which exec never reports) when nothing came in time.
int ReadReport(int report) {
  pollfd ready{report, POLLIN, 0};
  int failed = 0;
  while (true) {
    const int polled = poll(&ready, 1, kCommandStartTimeoutMs);
    if (polled < 0 && errno == EINTR) continue;
    if (polled <= 0) return ETIMEDOUT;
    const ssize_t got = read(report, &failed, sizeof failed);
    if (got < 0 && errno == EINTR) continue;
    return got == sizeof failed ? failed : 0;
  }
}

}  // namespace

std::optional<std::string> ShellProblem(const std::string& shell) {
  if (access(shell.c_str(), X_OK) == 0) return std::nullopt;
  return CannotRun(shell, errno);
}

std::optional<std::string> StartDetachedCommand(const std::string& shell,
                                                const std::string& command) {
  // Made before fork: the child allocates nothing.
  std::string shellArgument = shell, option = "-c", commandArgument = command;
  char* const arguments[] = {shellArgument.data(), option.data(), commandArgument.data(), nullptr};
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return CannotRun(shell, errno);
  const pid_t starter = fork();
  if (starter == 0) {
    close(report[0]);
    setsid();
    const pid_t started = fork();
    if (started == 0) BecomeShell(arguments, report[1]);
    if (started < 0) {
      const int failed = errno;
      [[maybe_unused]] const ssize_t written = write(report[1], &failed, sizeof failed);
    }
    _exit(0);
  }
  const int forkError = errno;
  close(report[1]);
  if (starter < 0) {
    close(report[0]);
    return CannotRun(shell, forkError);
  }
  while (waitpid(starter, nullptr, 0) < 0 && errno == EINTR) {
  }
  const int failed = ReadReport(report[0]);
  close(report[0]);
  if (failed == ETIMEDOUT) return shell + " did not start in time";
  if (failed != 0) return CannotRun(shell, failed);
  return std::nullopt;
}
