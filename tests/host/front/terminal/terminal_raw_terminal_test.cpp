#include "host/front/terminal/raw_terminal.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>

namespace {

const std::string kEnterScreen = "\x1b[?1049h\x1b[?25l";
const std::string kLeaveScreen = "\x1b[?25h\x1b[?1049l";

struct PtyRun {
  int exitCode;
  std::string output;
};

// Runs child in a new process whose standard input and output are a fresh terminal; answers the
// process's exit code and everything it wrote to the terminal.
PtyRun RunOnTerminal(const std::function<int()>& child) {
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  if (pid == 0) std::exit(child());
  EXPECT_GT(pid, 0);
  std::string output;
  char buffer[256];
  for (;;) {
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // EIO once the child has closed the terminal
    output.append(buffer, static_cast<size_t>(n));
  }
  close(master);
  int status = 0;
  waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool Raw() {
  termios settings{};
  tcgetattr(STDIN_FILENO, &settings);
  return (settings.c_lflag & (ECHO | ICANON | ISIG)) == 0;
}

TEST(RawTerminal, RawWhileItLivesAndRestoredAfter) {
  const PtyRun run = RunOnTerminal([] {
    {
      RawTerminal terminal;
      if (!terminal.active() || !Raw()) return 1;
      if (!terminal.Write("frame") || terminal.Width() <= 0) return 2;
    }
    return Raw() ? 3 : 0;
  });

  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, kEnterScreen + "frame" + kLeaveScreen);
}

TEST(RawTerminal, ExitWithoutTheDestructorStillRestoresTheTerminal) {
  const PtyRun run = RunOnTerminal([] {
    static RawTerminal* leaked = new RawTerminal;
    return leaked->active() ? 0 : 1;  // exit() runs while the terminal is still raw
  });

  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, kEnterScreen + kLeaveScreen);
}

TEST(RawTerminal, StopAndResizeSignalsOnlySetFlags) {
  const PtyRun run = RunOnTerminal([] {
    RawTerminal terminal;
    if (RawTerminal::StopRequested() || RawTerminal::ResizeRequested()) return 1;
    raise(SIGTERM);
    raise(SIGWINCH);
    if (!RawTerminal::StopRequested() || !RawTerminal::ResizeRequested()) return 2;
    return RawTerminal::ResizeRequested() ? 3 : 0;
  });

  EXPECT_EQ(run.exitCode, 0);
}

TEST(RawTerminal, DoesNothingWithoutATerminal) {
  const PtyRun run = RunOnTerminal([] {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0 || dup2(pipeEnds[0], STDIN_FILENO) < 0) return 1;
    RawTerminal terminal;
    return terminal.active() ? 2 : 0;
  });

  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.output, "");
}

}  // namespace
