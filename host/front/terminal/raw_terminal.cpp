#include "host/front/terminal/raw_terminal.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l";  // alternate screen, cursor hidden
constexpr char kLeaveScreen[] = "\x1b[?25h\x1b[?1049l";
// The one terminal in raw mode: what to put back, for the destructor and the exit handler alike.
struct SavedTerminal {
  termios settings;
  std::atomic<bool> raw{false};
};
SavedTerminal saved;
bool exitHandlerInstalled = false;
bool terminalLive = false;

bool WriteAll(int fd, const char* text, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, text, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

// Idempotent, so that the destructor and the exit handler can both call it.
void RestoreTerminal() {
  if (!saved.raw.exchange(false)) return;
  WriteAll(STDOUT_FILENO, kLeaveScreen, sizeof kLeaveScreen - 1);
  tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved.settings);
}

bool EnterRawMode() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) return false;
  if (tcgetattr(STDIN_FILENO, &saved.settings) != 0) return false;
  termios raw = saved.settings;
  raw.c_iflag &= ~(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
  // Output processing stays on, so stray text written by others still starts its lines at the left.
  raw.c_cflag |= CS8;
  raw.c_lflag &= ~(ECHO | ICANON | IEXTEN | ISIG);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) return false;
  saved.raw = true;
  if (!exitHandlerInstalled) exitHandlerInstalled = std::atexit(RestoreTerminal) == 0;
  WriteAll(STDOUT_FILENO, kEnterScreen, sizeof kEnterScreen - 1);
  return true;
}

winsize WindowSize() {
  winsize size{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0) return winsize{};
  return size;
}

}  // namespace

RawTerminal::RawTerminal() : signals_(StopSignals::Suspend::Caught), owner_(!terminalLive) {
  if (!owner_) return;
  terminalLive = true;
  active_ = EnterRawMode();
}

RawTerminal::~RawTerminal() {
  if (!owner_) return;
  if (active_) RestoreTerminal();
  terminalLive = false;
}

void RawTerminal::Suspend() const {
  if (!owner_ || !active_) return;
  RestoreTerminal();
  // SIGSTOP, which cannot be caught: the process stops here until SIGCONT.
  kill(getpid(), SIGSTOP);
  EnterRawMode();
}

bool RawTerminal::Write(const std::string& text) const {
  return WriteAll(STDOUT_FILENO, text.data(), text.size());
}

int RawTerminal::Width() const {
  const winsize size = WindowSize();
  return size.ws_col > 0 ? size.ws_col : 80;
}

int RawTerminal::Height() const {
  const winsize size = WindowSize();
  return size.ws_row > 0 ? size.ws_row : 24;
}

bool RawTerminal::StopRequested() { return StopSignals::StopRequested(); }

bool RawTerminal::ResizeRequested() { return StopSignals::ResizeRequested(); }
