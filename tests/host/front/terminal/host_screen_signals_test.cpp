// The terminal screen of the built program stopped and continued as a shell's job control does:
// stopped, it gives the terminal back as it found it; continued, it takes it again (the repaint
// that follows is checked on a scripted clock, HostClockJumpTest).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "tests/fakes/temp_folder.h"
#include "tests/fakes/host_program.h"

namespace {

constexpr const char* kLeaveScreen = "\x1b[?25h\x1b[?1049l";
constexpr const char* kEnterScreen = "\x1b[?1049h\x1b[?25l";

// Waits until the process has stopped; false when it did not within the limit.
bool WaitUntilStopped(pid_t pid) {
  for (int tries = 0; tries < 1000; ++tries) {
    int status = 0;
    const pid_t changed = waitpid(pid, &status, WUNTRACED | WNOHANG);
    if (changed == pid) return WIFSTOPPED(status);
    usleep(10'000);
  }
  return false;
}

TEST(HostScreenSignals, SigtstpGivesTheTerminalBackUntilSigcont) {
  TempFolder folder;
  for (const char* attribute : {"type=Battery", "status=Discharging", "present=1", "capacity=62"}) {
    const std::string text = attribute;
    folder.Write("sysfs/BAT0/" + text.substr(0, text.find('=')),
                 text.substr(text.find('=') + 1) + "\n");
  }
  HostOnTerminal host(folder.path(), "--sysfs '" + (folder.path() / "sysfs").string() + "'",
                      folder.path() / "stderr");
  ASSERT_TRUE(host.WaitForScreen("62%, hrs: ")) << host.screen();

  kill(host.pid(), SIGTSTP);
  ASSERT_TRUE(WaitUntilStopped(host.pid()));
  kill(host.pid(), SIGCONT);
  // Nothing is written while stopped: the screen left, then entered again.
  EXPECT_TRUE(host.WaitForScreen(std::string(kLeaveScreen) + kEnterScreen)) << host.screen();
  EXPECT_EQ(host.Quit(), 0);
}

}  // namespace
