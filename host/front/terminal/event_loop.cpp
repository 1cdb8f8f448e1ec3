#include "host/front/terminal/event_loop.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "host/front/terminal/terminal_message_boxes.h"
#include "platform/time/clock.h"
#include "platform/message_box/message_box.h"

namespace {

constexpr ULONGLONG kFileTimeUnitsPerMinute = 600'000'000;
// How long a lone ESC may wait for the rest of an arrow key's sequence.
constexpr int kEscapeWaitMs = 30;

constexpr const char* kFooter =
    "Left/Right refresh  Up/Down select  Enter report  c colours  q quit";

// When the title's clock, which shows minutes, next changes (local offsets are whole minutes).
ULONGLONG NextMinute(ULONGLONG now) {
  return (now / kFileTimeUnitsPerMinute + 1) * kFileTimeUnitsPerMinute;
}

}  // namespace

EventLoop::EventLoop(HomeScreenSession& session, const RawTerminal& terminal, Waiter& waiter,
                     std::string powerDescription)
    : session_(session),
      terminal_(terminal),
      waiter_(waiter),
      powerDescription_(std::move(powerDescription)),
      canvas_(session.scheme().text),
      width_(terminal.Width()),
      height_(terminal.Height()) {}

bool EventLoop::Run() {
  TerminalMessageBoxes messageBoxes(
      [this](const std::optional<MessageDialog>& dialog) {
        dialog_ = dialog;
        Render();
      },
      [this] { return WaitKey(); },
      [this] {
        return ScreenSize{width_, height_};
      });
  const ScopedMessageBoxSink messageBoxGuard(messageBoxes);
  if (onScreen_) onScreen_();

  while (running_ && !RawTerminal::StopRequested()) {
    FollowSuspend();
    session_.DispatchDueTimers(CurrentClock().UtcNow());
    if (RawTerminal::ResizeRequested()) {
      width_ = terminal_.Width();
      height_ = terminal_.Height();
      session_.RequestRepaint();
    }
    if (session_.line().repaintRequested) PaintLine();
    Render();
    if (!running_) break;

    const ULONGLONG deadline = std::min(session_.EarliestDeadline().value_or(ULLONG_MAX),
                                        NextMinute(CurrentClock().UtcNow()));
    if (!ReadInput(deadline, keys_.Pending() ? kEscapeWaitMs : -1)) break;
    if (tookOver_ && tookOver_()) return true;
    while (running_) {
      const std::optional<KeyPress> key = keys_.Next();
      if (!key) break;
      Apply(CommandFor(*key));
    }
  }
  return false;
}

bool EventLoop::ReadInput(std::optional<ULONGLONG> deadline, int maxWaitMs) {
  const WakeReason woken = waiter_.Wait(deadline, STDIN_FILENO, maxWaitMs);
  // The charger or the battery's state changed: the plug-in refreshes at once (its refresh key).
  if (woken == WakeReason::PowerEvent) session_.KeyDown(kVirtualKeyLeft);
  if (woken != WakeReason::Input) {
    // No more bytes came: a lone ESC is the Escape key.
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
    // Timers wait while the dialog is open; the title's clock goes on.
    if (!ReadInput(NextMinute(CurrentClock().UtcNow()), keys_.Pending() ? kEscapeWaitMs : -1)) {
      running_ = false;
      return std::nullopt;
    }
    FollowSuspend();
    Render();
  }
}

void EventLoop::FollowSuspend() {
  if (StopSignals::SuspendRequested()) terminal_.Suspend();
  // Continued after any stop: the screen may hold what others wrote meanwhile.
  if (StopSignals::Continued()) {
    lastFrame_.clear();
    session_.RequestRepaint();
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
  std::snprintf(time, sizeof time, "%04u-%02u-%02u %02u:%02u", local.wYear, local.wMonth,
                local.wDay, local.wHour, local.wMinute);
  return "Zelvar home  " + std::string(time) + "  " + powerDescription_ + "  (" +
         session_.scheme().name + ")";
}
