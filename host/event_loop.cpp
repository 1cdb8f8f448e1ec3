#include "host/event_loop.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "host/terminal/terminal_message_boxes.h"
#include "platform/time/clock.h"
#include "platform/files/message_box.h"

namespace {

// The longest wait: the title's clock shows seconds.
constexpr int kLongestWaitMs = 1000;
// How long a lone ESC may wait for the rest of an arrow key's sequence.
constexpr int kEscapeWaitMs = 30;

constexpr const char* kFooter = "Left/Right refresh  Up/Down select  Enter report  c colours  q quit";

}  // namespace

EventLoop::EventLoop(HomeScreenSession& session, const RawTerminal& terminal, ClockPacer& pacer,
                     std::string powerDescription)
    : session_(session),
      terminal_(terminal),
      pacer_(pacer),
      powerDescription_(std::move(powerDescription)),
      canvas_(session.scheme().text),
      width_(terminal.Width()),
      height_(terminal.Height()) {}

void EventLoop::Run() {
  TerminalMessageBoxes messageBoxes(
      [this](const std::optional<MessageDialog>& dialog) {
        dialog_ = dialog;
        Render();
      },
      [this] { return WaitKey(); }, [this] { return ScreenSize{width_, height_}; });
  const ScopedMessageBoxSink messageBoxGuard(messageBoxes);

  while (running_ && !RawTerminal::StopRequested()) {
    pacer_.CatchUp();
    session_.DispatchDueTimers(CurrentClock().UtcNow());
    if (RawTerminal::ResizeRequested()) {
      width_ = terminal_.Width();
      height_ = terminal_.Height();
      session_.RequestRepaint();
    }
    if (session_.line().repaintRequested) PaintLine();
    Render();
    if (!running_) break;

    int timeout = pacer_.PollTimeoutMs(session_.EarliestDeadline(), CurrentClock().UtcNow(), kLongestWaitMs);
    if (keys_.Pending()) timeout = std::min(timeout, kEscapeWaitMs);
    if (!ReadInput(timeout)) break;
    while (running_) {
      const std::optional<KeyPress> key = keys_.Next();
      if (!key) break;
      Apply(CommandFor(*key));
    }
  }
}

bool EventLoop::ReadInput(int timeoutMs) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  const int ready = poll(&input, 1, timeoutMs);
  if (ready < 0) return errno == EINTR;
  if (ready == 0) {
    keys_.Flush();
    return true;
  }
  char bytes[256];
  const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
  if (n < 0) return errno == EINTR || errno == EAGAIN;
  if (n == 0) return false;
  keys_.Feed(bytes, static_cast<size_t>(n));
  return true;
}

std::optional<KeyPress> EventLoop::WaitKey() {
  for (;;) {
    if (std::optional<KeyPress> key = keys_.Next()) return key;
    if (RawTerminal::StopRequested()) return std::nullopt;
    if (!ReadInput(keys_.Pending() ? kEscapeWaitMs : kLongestWaitMs)) {
      running_ = false;
      return std::nullopt;
    }
  }
}

void EventLoop::Apply(HostCommand command) {
  switch (command) {
    case HostCommand::RefreshLeft:
      session_.KeyDown(kVirtualKeyLeft);
      break;
    case HostCommand::RefreshRight:
      session_.KeyDown(kVirtualKeyRight);
      break;
    case HostCommand::ToggleSelection:
      session_.ToggleSelection();
      break;
    case HostCommand::Action:
      session_.Action();
      break;
    case HostCommand::SwitchColours:
      session_.SwitchColourScheme();
      break;
    case HostCommand::Quit:
      running_ = false;
      break;
    case HostCommand::None:
      break;
  }
}

void EventLoop::PaintLine() {
  canvas_.Clear();
  session_.Paint(canvas_, width_);
}

void EventLoop::Render() {
  Frame frame;
  frame.title = Title();
  frame.lineText = canvas_.text();
  frame.lineFill = canvas_.fill();
  frame.lineTextColour = canvas_.textColour();
  frame.selected = session_.line().selected;
  frame.footer = kFooter;
  frame.dialog = dialog_;
  frame.width = width_;
  frame.height = height_;
  std::string text = RenderFrame(frame);
  if (text == lastFrame_) return;
  if (!terminal_.Write(text)) running_ = false;
  lastFrame_ = std::move(text);
}

std::string EventLoop::Title() const {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  char time[64];
  std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                local.wMinute, local.wSecond);
  return "Zelvar home  " + std::string(time) + "  " + powerDescription_ + "  (" + session_.scheme().name + ")";
}
